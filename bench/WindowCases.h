#pragma once
// Scenarios in the real window, shown on Qt's offscreen platform.
#include "bench/Bench.h"

namespace bench {

// LeggiTabelle filling LwTabelle from the catalogue database (of --tables tables, or of `tables`).
Prepare WindowCatalogue(int tables = 0);
// LeggiDati of the query up to the grid's first painted screen.
Prepare WindowFirstPaint(const char* query);

}  // namespace bench
