#pragma once
#include <string_view>

#include "db/Provider.h"

namespace db {

// The providers that are built in (SQLite, PostgreSQL, ODBC), looked up by the
// Provider key, case-insensitively. nullptr when none has that name.
ProviderFactory BuiltInProvider(std::string_view name);

}  // namespace db
