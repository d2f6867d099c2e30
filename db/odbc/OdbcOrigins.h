#pragma once
// What a query is before any row is read: its columns from the prepared statement
// (nothing is run), and where they come from by the driver's word.
#include <string>
#include <vector>

#include "db/EditPlanner.h"
#include "db/Provider.h"
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

// The tables the driver names, with their keys (primary key, or the driver's best
// row id), and what only the provider needs of them.
struct Origins {
  Sources sources;
  std::vector<std::string> types;          // per table, SQLTables' TABLE_TYPE
  std::vector<std::vector<SqlType>> keyTypes;  // per table, the type of each part of its key
  std::vector<bool> primaryKeyed;              // per table, whether its key is the primary key
};
// Also marks the columns of a primary key not nullable.
Origins OriginsOf(Session& s, Described& q, const std::string& sql);

// Tables, not views nor the engine's own, named as the query names them, are read
// in key order where the engine has LIMIT/OFFSET.
std::vector<KeyPart> PagingKeyOf(const Origins& o, const std::string& sql, int table);

}  // namespace db::odbc
