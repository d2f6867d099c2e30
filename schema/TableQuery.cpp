#include "schema/TableQuery.h"

#include "db/Connection.h"

namespace schema {

std::string SelectAllFrom(std::string_view schemaName, std::string_view tableName,
                          const QuoteFn& quote) {
  std::string sql = "SELECT * FROM ";
  if (!schemaName.empty()) sql += quote(schemaName) + ".";
  return sql + quote(tableName);
}

std::string SelectAllFrom(std::string_view schemaName, std::string_view tableName,
                          const db::Connection& conn) {
  return SelectAllFrom(schemaName, tableName,
                       [&conn](std::string_view name) { return conn.QuoteIdentifier(name); });
}

}  // namespace schema
