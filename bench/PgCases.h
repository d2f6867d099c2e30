#pragma once
// The libpq baselines.
#include "bench/Bench.h"

namespace bench {

// A cursor over the query and one FETCH of the first screen's rows.
Prepare PgFirstScreen(const BigTable& table = {});
// The same cursor moved to the middle row, and one FETCH.
Prepare PgMiddleScreen(const BigTable& table);
// SELECT count(*).
Prepare PgCount(const BigTable& table);
// The cursor read to the end in FETCHes of a few MB, every value read: a scan in
// bounded memory, as PQexec of 100 M rows could not be.
Prepare PgCursorScan(const BigTable& table);
// What a libpq program does to show the last row with its position without
// transferring the result: a scrollable cursor moved to the end (MOVE ALL tells the
// row count) and one FETCH PRIOR. The server still reads every row, as a client
// that knows no key of the query must let it.
Prepare PgCursorToLast();
// PQexec of the whole result, every value read.
Prepare PgFullScan();

}  // namespace bench
