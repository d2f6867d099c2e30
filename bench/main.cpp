// Cartavo's benchmarks against the raw engines and Qt's SQL models; bench/run builds
// and starts it. Without --child it makes the missing data, runs every scenario's
// contenders each in a child process of its own and reports the figures.
//
//   cartavo_bench --data DIR [--rows N] [--ui-rows N] [--tables N] [--edits N] [--budget SECONDS]
//                 [--rounds N] [--pg-port PORT] [--json FILE] [--only KEY,KEY...]
//                 [--scale] [--scale-max ROWS] [--make-only]
#include <QApplication>

#include <cstdio>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

#include "bench/Driver.h"
#include "bench/Generate.h"
#include "bench/Report.h"

namespace {

struct Command {
  bench::Options options;
  std::string childKey, childName;  // set for a child
  std::vector<std::string> forwarded;  // the options, for the children
};

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> items;
  std::istringstream in(list);
  for (std::string item; std::getline(in, item, ',');)
    if (!item.empty()) items.push_back(item);
  return items;
}

Command Parse(int argc, char** argv) {
  Command c;
  bench::Options& o = c.options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) throw bench::BenchError(arg + " wants a value");
      return argv[++i];
    };
    if (arg == "--child") {
      c.childKey = next();
      c.childName = next();
      continue;
    }
    if (arg == "--scale" || arg == "--make-only") {
      (arg == "--scale" ? o.scale : o.makeOnly) = true;
      c.forwarded.push_back(arg);
      continue;
    }
    const std::string value = next();
    if (arg == "--data") o.dataDir = value;
    else if (arg == "--rows") o.rows = std::stoll(value);
    else if (arg == "--ui-rows") o.uiRows = std::stoll(value);
    else if (arg == "--tables") o.tables = std::stoi(value);
    else if (arg == "--edits") o.edits = std::stoi(value);
    else if (arg == "--budget") o.budgetSeconds = std::stod(value);
    else if (arg == "--rounds") o.rounds = std::stoi(value);
    else if (arg == "--pg-port") o.pgPort = value;
    else if (arg == "--json") o.json = value;
    else if (arg == "--only") o.only = Split(value);
    else if (arg == "--scale-max") o.scaleMax = std::stoll(value);
    else throw bench::BenchError("unknown option " + arg);
    c.forwarded.insert(c.forwarded.end(), {arg, value});
  }
  if (o.dataDir.empty()) throw bench::BenchError("--data DIR is required");
  if (o.rows < o.edits || o.edits <= 0 || o.tables <= 0 || o.rounds <= 0 || o.uiRows <= 0) throw bench::BenchError("sizes out of range");
  return c;
}

int RunParent(const Command& c) {
  bench::EnsureData(c.options);
  if (c.options.makeOnly) return 0;
  const auto outcomes = bench::RunScenarios(c.options, c.forwarded);
  const bool complete = bench::PrintTable(outcomes);
  if (!c.options.json.empty()) bench::WriteJson(outcomes, c.options.json);
  return complete ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Command c = Parse(argc, argv);
    if (c.childKey.empty()) {
      QCoreApplication app(argc, argv);
      return RunParent(c);
    }
    // Children may show the window: always on the offscreen platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return bench::RunChild(c.options, c.childKey, c.childName);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cartavo_bench: %s\n", e.what());
    return 2;
  }
}
