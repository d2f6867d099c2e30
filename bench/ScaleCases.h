#pragma once
// The scaling run's cases of Cartavo's own path: the real window (offscreen) over
// the table of one size, as a user opens it, goes to its end and to its middle.
// Each repetition ends with the window back on a one-row query, so that the next
// one does not pay for letting go of this one's rows.
#include <vector>

#include "bench/Bench.h"

namespace bench {

// LeggiDati up to every row of the first screen read and painted.
Prepare WindowFirstScreen(Engine engine, const BigTable& table);
// From LeggiDati, Ctrl+End at once, until the last row is on the screen: the row
// count in between.
Prepare WindowLastRow(Engine engine, const BigTable& table);
// With the count in and the first row shown again, the scroll bar to its middle,
// until the rows there are read.
Prepare WindowMiddleRow(Engine engine, const BigTable& table);

// Of one scale_<engine>_<rows> outcome: each of Cartavo's figures, its floor and
// their ratio, and the largest growth of memory of the window's cases.
Derived ScaleFigures(const Outcome& outcome);

// The scaling run's scenarios, every size (Options::Runs keeps those up to --scale-max).
std::vector<Scenario> ScaleScenarios();

}  // namespace bench
