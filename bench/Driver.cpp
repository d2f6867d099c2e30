#include "bench/Driver.h"

#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <sstream>

namespace bench {
namespace {

bool Wanted(const Options& o, const std::string& key) {
  return o.only.empty() || std::find(o.only.begin(), o.only.end(), key) != o.only.end();
}

std::optional<Figure> RunInChild(const std::vector<std::string>& childArguments, const std::string& key,
                                 const std::string& name) {
  QStringList args{"--child", QString::fromStdString(key), QString::fromStdString(name)};
  for (const std::string& a : childArguments) args << QString::fromStdString(a);
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(QCoreApplication::applicationFilePath(), args);
  if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
    std::fprintf(stderr, "%s/%s: the child process failed\n", key.c_str(), name.c_str());
    return std::nullopt;
  }
  std::istringstream lines(child.readAllStandardOutput().toStdString());
  Figure f;
  for (std::string line; std::getline(lines, line);)
    if (ParseFigureLine(line, f)) return f;
  std::fprintf(stderr, "%s/%s: the child gave no figure\n", key.c_str(), name.c_str());
  return std::nullopt;
}

}  // namespace

std::vector<Outcome> RunScenarios(const Options& options, const std::vector<std::string>& childArguments) {
  std::vector<Outcome> outcomes;
  for (const Scenario& s : AllScenarios()) {
    if (!Wanted(options, s.key)) continue;
    Outcome out{s.key, {}, s.sameRows, {}};
    if (s.engine == Engine::Postgres && options.pgPort.empty()) {
      out.skipped = "no PostgreSQL server (--pg-port)";
    } else {
      for (const Contender& c : s.contenders) out.contenders.push_back({c.name, Figure{}});
      // Rounds alternate the contenders, so that a spell of load on the machine falls on all of them.
      for (int round = 0; round < options.rounds; ++round)
        for (Measured& m : out.contenders) {
          std::fprintf(stderr, "%s / %s\n", s.key.c_str(), m.name.c_str());
          const std::optional<Figure> f = RunInChild(childArguments, s.key, m.name);
          if (!f) m.figure.reset();
          else if (m.figure) m.figure->Merge(*f);
        }
    }
    outcomes.push_back(std::move(out));
  }
  return outcomes;
}

int RunChild(const Options& options, const std::string& key, const std::string& name) {
  for (const Scenario& s : AllScenarios()) {
    if (s.key != key) continue;
    for (const Contender& c : s.contenders) {
      if (c.name != name) continue;
      try {
        std::cout << FigureLine(Measure(c, options)) << std::endl;
        return 0;
      } catch (const std::exception& e) {
        std::fprintf(stderr, "%s/%s: %s\n", key.c_str(), name.c_str(), e.what());
        return 1;
      }
    }
  }
  std::fprintf(stderr, "no contender %s/%s\n", key.c_str(), name.c_str());
  return 2;
}

}  // namespace bench
