#include "bench/Driver.h"

#include <QCoreApplication>
#include <QProcess>

#include <cstdio>
#include <exception>
#include <functional>
#include <iostream>
#include <sstream>

namespace bench {
namespace {

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

int PrintFigure(const std::string& key, const std::string& name, const std::function<Figure()>& measure) {
  try {
    std::cout << FigureLine(measure()) << std::endl;
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s/%s: %s\n", key.c_str(), name.c_str(), e.what());
    return 1;
  }
}

}  // namespace

std::vector<Outcome> RunScenarios(const Options& options, const std::vector<std::string>& childArguments) {
  std::vector<Outcome> outcomes;
  for (const Scenario& s : AllScenarios()) {
    if (!options.Runs(s)) continue;
    Outcome out{s.key, {}, s.sameRows, {}, s.derive};
    if (s.engine == Engine::Postgres && options.pgPort.empty()) {
      out.skipped = "no PostgreSQL server (--pg-port)";
    } else {
      for (const Contender& c : s.contenders) out.contenders.push_back({c.name, Figure{}});
      if (s.window) out.contenders.push_back({kWindowContender, Figure{}});
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
    if (s.window && name == kWindowContender) return PrintFigure(key, name, [&] { return MeasureWindow(s.window, options); });
    for (const Contender& c : s.contenders) {
      if (c.name == name) return PrintFigure(key, name, [&] { return Measure(c, options); });
    }
  }
  std::fprintf(stderr, "no contender %s/%s\n", key.c_str(), name.c_str());
  return 2;
}

}  // namespace bench
