#pragma once
// The parent process: one child per contender, run one after the other.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/Bench.h"
#include "bench/Measure.h"

namespace bench {

// The one figure of a case of the window's thread.
inline constexpr const char* kWindowContender = "cartavo";

struct Measured {
  std::string name;
  std::optional<Figure> figure;  // nullopt: the child failed
};

struct Outcome {
  std::string key;
  std::string skipped;  // why the scenario did not run; empty when it ran
  bool sameRows = true;
  std::vector<Measured> contenders;
  std::function<Derived(const Outcome&)> derive;
};

// childArguments: what every child is given besides "--child KEY NAME".
std::vector<Outcome> RunScenarios(const Options& options, const std::vector<std::string>& childArguments);

// Inside a child: measures the named contender and prints its figure line.
int RunChild(const Options& options, const std::string& key, const std::string& name);

}  // namespace bench
