#pragma once
// One contender measured inside its child process: a first repetition for the
// growth of resident memory (on a heap that nothing before it has warmed), then timed
// repetitions until the time budget is spent, at least three.
#include <string>

#include "bench/Bench.h"

namespace bench {

struct Figure {
  double medianMs = 0;
  double minMs = 0;
  double maxMs = 0;
  int repetitions = 0;
  double rssMb = 0;  // peak resident memory of the first repetition over what was there before it
  Tally tally;       // of the last repetition
};

Figure Measure(const Contender& contender, const Options& options);

// The one line a child writes on its standard output, and its reading by the parent.
std::string FigureLine(const Figure& f);
bool ParseFigureLine(const std::string& line, Figure& f);

}  // namespace bench
