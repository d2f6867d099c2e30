#pragma once
// Where the columns of a result come from (PQftable/PQftablecol of its description)
// and which of those tables a row can be written back to: an ordinary or partitioned
// table whose whole primary key is among the result's columns.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/Provider.h"
#include "db/postgres/PgLib.h"
#include "db/postgres/PgSession.h"

namespace db::pg {

struct BaseTable {
  Oid oid = 0;
  std::string schema, name;
  char kind = 0;              // pg_class.relkind
  bool hasChildren = false;   // inheritance children share the key values
  std::vector<int> keyColumns;  // result columns holding the primary key, in key order
  std::string refusal;          // why rows cannot be written back; empty when they can
};

struct BaseTables {
  std::vector<BaseTable> tables;
  std::vector<int> tableOf;  // per result column: index into tables, -1 for expressions

  // The one table every column comes from, if any.
  const BaseTable* single() const;
};

// Fills the base fields of columns (schema, table, column, isKey) and says which
// tables are writable. One catalogue query, none when no column comes from a table.
BaseTables FindBaseTables(Session& session, const PGresult* description, std::vector<ColumnInfo>& columns);

}  // namespace db::pg
