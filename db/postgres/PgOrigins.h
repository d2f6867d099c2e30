#pragma once
// What a query is before any row is read: its columns from the server's description
// of the statement, and where they come from (PQftable/PQftablecol and the catalogue).
#include <string>
#include <vector>

#include "db/EditPlanner.h"
#include "db/Provider.h"
#include "db/postgres/PgLib.h"
#include "db/postgres/PgSession.h"

namespace db::pg {

struct Described {
  std::vector<ColumnInfo> columns;
  std::vector<Oid> types;
  Sources sources;
};

// Describes one row-returning statement without running it; a command without rows
// is refused (and not run), several statements too. findSources: also learn where
// the columns come from (one catalogue query, none when no column comes from a table).
Described Describe(Session& s, const std::string& sql, bool findSources = true);

}  // namespace db::pg
