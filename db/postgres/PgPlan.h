#pragma once
// What a query is before any row is read: its columns from the server's description
// of the statement, and how its rows are paged and written back.
#include <optional>
#include <string>
#include <vector>

#include "db/Provider.h"
#include "db/postgres/PgBaseTables.h"
#include "db/postgres/PgEdit.h"
#include "db/postgres/PgSession.h"

namespace db::pg {

struct Described {
  std::vector<ColumnInfo> columns;
  std::vector<Oid> types;
  BaseTables bases;
};

// Describes one row-returning statement without running it; a command without rows
// is refused (and not run), several statements too. findBases: also learn where the
// columns come from (one catalogue query).
Described Describe(Session& s, const std::string& sql, bool findBases = true);

// SELECT * FROM a table with a primary key: pages and writes by that key.
struct KeysetPlan {
  std::string table;              // qualified and quoted
  std::vector<std::string> keys;  // quoted key columns
  EditPlan edit;
};
std::optional<KeysetPlan> PlanKeyset(const Described& q, const std::string& sql);

// Any other query: columns are written to the table they come from when that
// table's whole primary key is in the result too.
EditPlan PlanEdits(const Described& q);

}  // namespace db::pg
