#pragma once
// Writing an edited row of a SQLite result back to its base tables.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/Value.h"
#include "db/sqlite/SqliteSession.h"

namespace db::sqlite {

// One base table that cells of a row come from.
struct EditTarget {
  std::string table;  // qualified and quoted
  // Cell index and SQL of the cells that name the row (row id or primary key) ...
  std::vector<std::pair<int, std::string>> keys;
  // ... and of every other cell read from this table.
  std::vector<std::pair<int, std::string>> columns;
};

// How the columns of a result can be written: for each visible column the target
// it belongs to, or the reason why it cannot be written.
struct EditPlan {
  int hidden = 0;                 // cells before the visible columns (a row id read along)
  std::vector<int> types;         // DataTypeEnum of each visible column
  std::vector<EditTarget> targets;
  std::vector<int> targetOf;      // -1: not writable
  std::vector<std::string> whyNot;
};

// Optimistic write of one row: each UPDATE names the row by its key and compares
// every value read with a null-safe IS, and must change exactly one row; all
// tables of the row are written in one savepoint, so a refused write changes
// nothing. Gives back the row's cells as now stored.
std::vector<Value> WriteRow(const Session& s, const EditPlan& plan, std::vector<Value> cells,
                            const std::vector<std::pair<int, Value>>& changes);

}  // namespace db::sqlite
