#pragma once
// What a query is before any row is read: its columns from the prepared statement,
// and how its rows are paged and written back.
#include <optional>
#include <string>
#include <vector>

#include "db/Provider.h"
#include "db/sqlite/SqliteEdit.h"
#include "db/sqlite/SqliteSession.h"

namespace db::sqlite {

struct Prepared {
  Statement stmt;
  std::vector<ColumnInfo> columns;
  std::vector<std::string> viewOf;  // per column: the view it was read through, if any
};

// Prepares one row-returning, read-only statement: a text with several
// statements, a command without rows or a statement that writes is refused
// (and not run).
Prepared PrepareQuery(const Session& s, const std::string& sql);

// SELECT * FROM one table: pages by its row id (or primary key) and writes by it.
struct KeysetPlan {
  std::string table;               // qualified and quoted
  std::vector<std::string> keys;   // SQL of the ordering key
  EditPlan edit;
};
std::optional<KeysetPlan> PlanKeyset(const Session& s, Prepared& q, const std::string& sql);

// Any other query: columns are written to the table they come from when that
// table's primary key is in the result too.
EditPlan PlanEdits(const Session& s, Prepared& q);

}  // namespace db::sqlite
