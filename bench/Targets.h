#pragma once
// What each scenario must reach (README, section Performance) and whether it did.
#include <optional>
#include <string>

#include "bench/Driver.h"

namespace bench {

struct Verdict {
  std::string target;       // empty: the scenario has no target
  std::optional<bool> met;  // nullopt: a figure it needs is missing
};

Verdict Judge(const Outcome& outcome);

// The contender's figure; nullptr when it did not run or failed.
const Figure* FigureOf(const Outcome& outcome, const std::string& name);

}  // namespace bench
