#pragma once
// One contender measured inside its child process: a first repetition for the
// growth of resident memory (on a heap that nothing before it has warmed), then timed
// repetitions until the time budget is spent, at least three over all the rounds.
#include <optional>
#include <string>
#include <vector>

#include "bench/Bench.h"

namespace bench {

struct Figure {
  std::vector<double> times;  // ms of every timed repetition
  double rssMb = 0;  // peak resident memory of the first repetition over what was there before it
  Tally tally;       // of the last repetition
  std::optional<Responsiveness> window;  // a case of the window's thread: its one run

  double MedianMs() const;
  // Half the interquartile range, as a share of the median: how much the repetitions
  // scatter, without letting one interrupted repetition speak for all.
  double SpreadPercent() const;
  // Another child's figure of the same contender: its repetitions join these.
  void Merge(const Figure& other);
};

Figure Measure(const Contender& contender, const Options& options);
Figure MeasureWindow(const WindowRun& run, const Options& options);

// The one line a child writes on its standard output, and its reading by the parent.
std::string FigureLine(const Figure& f);
bool ParseFigureLine(const std::string& line, Figure& f);

}  // namespace bench
