#pragma once
// The figures as one table on the terminal, and as JSON.
#include <string>
#include <vector>

#include "bench/Driver.h"

namespace bench {

// True when every scenario that ran gave all its figures.
bool PrintTable(const std::vector<Outcome>& outcomes);
void WriteJson(const std::vector<Outcome>& outcomes, const std::string& file);

}  // namespace bench
