#pragma once
// The libpq baselines.
#include "bench/Bench.h"

namespace bench {

// A cursor over the query and one FETCH of the first screen's rows.
Prepare PgFirstScreen();
// What a libpq program does to show the last row with its position without
// transferring the result: a scrollable cursor moved to the end (MOVE ALL tells the
// row count) and one FETCH PRIOR. The server still reads every row, as a client
// that knows no key of the query must let it.
Prepare PgCursorToLast();
// PQexec of the whole result, every value read.
Prepare PgFullScan();

}  // namespace bench
