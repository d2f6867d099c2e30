#pragma once
// What a query is before any row is read: its columns from the prepared statement
// (nothing is run), where they come from by the driver's word, and how its rows
// are paged and written back.
#include <optional>
#include <string>
#include <vector>

#include "db/Provider.h"
#include "db/odbc/OdbcEdit.h"
#include "db/odbc/OdbcSession.h"
#include "db/odbc/OdbcTypes.h"

namespace db::odbc {

struct Described {
  std::vector<ColumnInfo> columns;
  std::vector<SqlType> types;
  std::vector<std::string> catalogs;  // per column, the base table's catalogue
};

// Prepares one statement for its columns; a statement without rows is refused.
Described Describe(Session& s, const std::string& sql);

// SELECT * FROM one table with a key (primary key, or the driver's best row id):
// read in key order, written by that key. Only for engines with LIMIT/OFFSET.
struct KeysetPlan {
  std::string table;              // qualified and quoted
  std::vector<std::string> keys;  // SQL of the key columns
  EditPlan edit;
};
std::optional<KeysetPlan> PlanKeyset(Session& s, Described& q, const std::string& sql);

// Any other query: columns are written to the base table the driver names when that
// table's key is in the result too. A plain SELECT * FROM a view is not written.
EditPlan PlanEdits(Session& s, Described& q, const std::string& sql);

}  // namespace db::odbc
