#pragma once
// Writing an edited row of a PostgreSQL result back to its base tables.
#include <string>
#include <utility>
#include <vector>

#include "db/Value.h"
#include "db/postgres/PgLib.h"
#include "db/postgres/PgSession.h"

namespace db::pg {

// One base table that cells of a row come from; cells with the quoted column name.
struct EditTarget {
  std::string table;  // qualified and quoted
  std::vector<std::pair<int, std::string>> keys;     // the primary key ...
  std::vector<std::pair<int, std::string>> columns;  // ... and every other column read from it
};

// For each visible column the target it belongs to, or why it cannot be written.
struct EditPlan {
  int hidden = 0;              // cells before the visible columns (the key read along)
  std::vector<Oid> types;      // per cell, hidden ones included
  std::vector<EditTarget> targets;
  std::vector<int> targetOf;   // per visible column; -1: not writable
  std::vector<std::string> whyNot;
};

// Optimistic write of one row: each UPDATE names the row by its key, compares every
// value read (IS NOT DISTINCT FROM; through its text for types without equality)
// and must change exactly one row. Several tables are written in one transaction,
// closed before returning, so a refused write changes nothing. Gives back the
// row's cells as now stored.
std::vector<Value> WriteRow(Session& s, const EditPlan& plan, std::vector<Value> cells,
                            const std::vector<std::pair<int, Value>>& changes);

}  // namespace db::pg
