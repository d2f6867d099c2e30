#pragma once
// The sqlite3 baselines: what a program written straight against the engine does.
#include "bench/Bench.h"

namespace bench {

// Prepare, 50 steps, every column as text.
Prepare SqliteFirstScreen(const BigTable& table = {});
// The same 50 rows from the middle of the table: LIMIT and OFFSET.
Prepare SqliteMiddleScreen(const BigTable& table);
// SELECT count(*).
Prepare SqliteCount(const BigTable& table);
// A step loop to the end, keeping each row's text, so the last row's is at hand.
Prepare SqliteScanToLast();
// A step loop with every column as text.
Prepare SqliteFullScan(const BigTable& table = {});
// The same edits as Cartavo's, each an UPDATE by key of one prepared statement in
// its own transaction.
Prepare SqliteUpdates();
// The sqlite3 shell's own CSV of big (sqlite3 -csv -header), process start included.
Prepare SqliteShellCsv();
// The engine's own table list (pragma_table_list) read to the end, on the catalogue
// database of --tables tables (or of `tables`).
Prepare SqliteCatalogue(int tables = 0);

}  // namespace bench
