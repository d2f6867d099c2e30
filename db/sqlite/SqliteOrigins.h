#pragma once
// What a query is before any row is read: its columns from the prepared statement,
// and where they come from, for the planner of writes (db/EditPlanner.h).
#include <string>
#include <vector>

#include "db/EditPlanner.h"
#include "db/Provider.h"
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

// The tables the columns come from, with their primary keys.
Sources SourcesOf(const Session& s, const Prepared& q);

// An ordinary table is paged by its row id, or by its key WITHOUT ROWID.
std::vector<KeyPart> PagingKeyOf(const Session& s, const Prepared& q, const SourceTable& t);

}  // namespace db::sqlite
