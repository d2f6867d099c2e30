#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace db { class Connection; }

namespace schema {

// Quotes one identifier, escaping the quote character (the engine's own rule).
using QuoteFn = std::function<std::string(std::string_view)>;

// "SELECT * FROM" the table, qualified with its schema when the catalogue gave one.
// Every part goes through the quoting, so blanks, quotes and brackets in names
// cannot change the statement.
std::string SelectAllFrom(std::string_view schemaName, std::string_view tableName,
                          const QuoteFn& quote);

// The same with the open connection's quoting; raises DbError when it is not open.
std::string SelectAllFrom(std::string_view schemaName, std::string_view tableName,
                          const db::Connection& conn);

}  // namespace schema
