#pragma once
// The benchmark's data, made the same way on every run: the table big (and a table
// small of 10 rows with the same columns), and a database of many small tables.
// Nothing random: every value is a function of the row number. A change to what is
// written must raise kGeneration (Bench.h), which names the cached files.
#include "bench/Bench.h"

namespace bench {

// Makes the SQLite files that the data folder lacks, and the PostgreSQL table big
// when a server is given and does not hold it at the wanted size; for the scaling
// run, the tables of its sizes instead (the PostgreSQL ones in a server kept
// from run to run).
void EnsureData(const Options& options);

}  // namespace bench
