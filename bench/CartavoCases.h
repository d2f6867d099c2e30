#pragma once
// Cartavo's side of the table scenarios: the record set of the data-access layer,
// opened as the grid opens it (keyset cursor, optimistic locking, command text).
#include "bench/Bench.h"

namespace bench {

// The first screen's rows, every value as text.
Prepare CartavoFirstScreen(Engine engine);
// The last row's values, reached as the grid reaches it on Ctrl+End: the row count,
// then the row at that position.
Prepare CartavoLastRow(Engine engine);
// MoveFirst to EOF, every value as text.
Prepare CartavoFullScan(Engine engine, const BigTable& table = {});
// Cell edits of the column nome, each written by Update; on
// a scratch copy of the SQLite file.
Prepare CartavoEdits();
// Every row of big to a CSV file, as "Esporta in CSV..." writes it.
Prepare CartavoExportCsv();

}  // namespace bench
