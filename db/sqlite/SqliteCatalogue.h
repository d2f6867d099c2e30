#pragma once
// The tables schema of a SQLite session: every table and view of every attached
// database (main, temp, then the attached ones in order); within a database tables,
// views, then the engine's own tables, each by name without regard to case.
#include <string>
#include <vector>

#include "db/RowPager.h"
#include "db/sqlite/SqliteSession.h"

namespace db::sqlite {

struct CatalogueEntry {
  int database = 0;  // 0 main, 1 temp, then attached ones in the order of attaching
  int kind = 0;      // 0 table, 1 view, 2 the engine's own
  std::string schema;
  std::string name;
};

// In the order of the list shown to the user.
void SortCatalogue(std::vector<CatalogueEntry>& entries);

// Appends TABLE_CATALOG (NULL), TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE rows. The engine
// lists the tables unsorted: an ORDER BY in the query cost four times the list itself.
void ReadCatalogue(const Session& s, PageBuffer& out);

}  // namespace db::sqlite
