#pragma once
// Writing an edited row of an ODBC result back to its base tables.
#include <string>
#include <utility>
#include <vector>

#include "db/Value.h"
#include "db/odbc/OdbcSession.h"
#include "db/odbc/OdbcTypes.h"

namespace db::odbc {

// One base table that cells of a row come from: cells with the SQL of their column.
struct EditTarget {
  std::string table;  // qualified and quoted
  std::vector<std::pair<int, std::string>> keys;     // what names the row ...
  std::vector<std::pair<int, std::string>> columns;  // ... and every other column read from it
};

struct EditPlan {
  int hidden = 0;               // cells before the visible columns (the key read along)
  std::vector<SqlType> types;   // per cell, hidden ones included
  std::vector<EditTarget> targets;
  std::vector<int> targetOf;    // per visible column; -1: not writable
  std::vector<std::string> whyNot;
};

// Optimistic write of one row: each UPDATE names the row by its key, compares every
// value read with the engine's null-safe equality (floating-point columns aside:
// drivers may round them) and must change exactly one row;
// the row is then read back by its key. Several tables are written in one
// transaction, ended before returning. Gives back the row's cells as now stored.
std::vector<Value> WriteRow(Session& s, const EditPlan& plan, std::vector<Value> cells,
                            const std::vector<std::pair<int, Value>>& changes);

}  // namespace db::odbc
