#include "db/sqlite/SqliteEdit.h"

#include <sqlite3.h>

#include "db/LayerErrors.h"
#include "db/SqlText.h"
#include "db/sqlite/SqliteTypes.h"

namespace db::sqlite {

namespace {

constexpr const char* kSavepoint = "cartavo_edit";

using Change = CellChange<Value>;

// The UPDATE of one table; its RETURNING row replaces the cells it names.
void WriteTable(const Session& s, const EditTarget& t, const std::vector<Change>& changes, std::vector<Value>& cells) {
  sql::OptimisticUpdate u{t.table, {}, {}, {}};
  for (const Change& c : changes) u.set.push_back(c.column);
  std::vector<int> compared;
  for (const auto* group : {&t.keys, &t.columns})
    for (const auto& [cell, sql] : *group) {
      u.compare.push_back(sql);
      u.returning.push_back(sql);
      compared.push_back(cell);
    }
  Statement st = s.prepare(sql::UpdateText(sql::kSqlite, u));
  int p = 1;
  for (const Change& c : changes) Bind(s, st.get(), p++, c.value);
  for (int cell : compared) Bind(s, st.get(), p++, cells[static_cast<std::size_t>(cell)]);

  std::vector<Value> stored;
  int rows = 0;
  while (s.check(sqlite3_step(st.get())) == SQLITE_ROW) {
    ++rows;
    stored.clear();
    for (std::size_t i = 0; i < compared.size(); ++i) stored.push_back(ReadCell(st.get(), static_cast<int>(i)));
  }
  if (rows != 1) throw errors::RowChanged();
  for (std::size_t i = 0; i < compared.size(); ++i) cells[static_cast<std::size_t>(compared[i])] = stored[i];
}

}  // namespace

std::vector<Value> WriteRow(const Session& s, const EditPlan& plan, std::vector<Value> cells,
                            const std::vector<std::pair<int, Value>>& changes) {
  const auto byTarget = GroupByTarget(plan, changes, [&plan](const Value& v, int column) {
    return ForStorage(v, plan.types[static_cast<std::size_t>(column)]);
  });
  s.exec(std::string("SAVEPOINT ") + kSavepoint);
  try {
    for (std::size_t t = 0; t < byTarget.size(); ++t)
      if (!byTarget[t].empty()) WriteTable(s, plan.targets[t], byTarget[t], cells);
  } catch (...) {
    try {
      s.exec(std::string("ROLLBACK TO ") + kSavepoint + "; RELEASE " + kSavepoint);
    } catch (const DbError&) {
      // the write's own failure is the one to report
    }
    throw;
  }
  s.exec(std::string("RELEASE ") + kSavepoint);
  return cells;
}

}  // namespace db::sqlite
