#pragma once
// The baselines of Qt's own SQL classes: QSqlQueryModel over the QSQLITE and QPSQL
// drivers, and QSqlDatabase::tables().
#include "bench/Bench.h"

namespace bench {

// setQuery and data() of the first screen's rows.
Prepare ModelFirstScreen(Engine engine);
// fetchMore until the end, then data() of the last row.
Prepare ModelLastRow(Engine engine);
// fetchMore until the end, then data() of every row.
Prepare ModelFullScan(Engine engine);
// QSqlDatabase::tables() of every kind, on the catalogue database (of --tables
// tables, or of `of`).
Prepare QtTables(int of = 0);
// The same, sorted into a QListWidget shown offscreen: what a Qt program would do
// for the window's table list.
Prepare QtTablesList(int of);

}  // namespace bench
