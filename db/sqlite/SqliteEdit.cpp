#include "db/sqlite/SqliteEdit.h"

#include <sqlite3.h>

#include "db/LayerErrors.h"
#include "db/SqlText.h"
#include "db/sqlite/SqliteTypes.h"

namespace db::sqlite {

namespace {

constexpr const char* kSavepoint = "cartavo_edit";

struct Change {
  int cell;
  std::string sql;
  Value value;
};

// The UPDATE of one table; its RETURNING row replaces the cells it names.
void WriteTable(const Session& s, const EditTarget& t, const std::vector<Change>& changes, std::vector<Value>& cells) {
  sql::OptimisticUpdate u{t.table, {}, {}, {}};
  for (const Change& c : changes) u.set.push_back(c.sql);
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
  std::vector<std::vector<Change>> byTarget(plan.targets.size());
  for (const auto& [column, value] : changes) {
    const auto col = static_cast<std::size_t>(column);
    const int target = plan.targetOf.at(col);
    if (target < 0) throw errors::NotAvailable("Impossibile aggiornare: " + plan.whyNot[col]);
    const int cell = plan.hidden + column;
    const EditTarget& t = plan.targets[static_cast<std::size_t>(target)];
    std::string sql;
    for (const auto* group : {&t.keys, &t.columns})
      for (const auto& [c, text] : *group)
        if (c == cell) sql = text;
    byTarget[static_cast<std::size_t>(target)].push_back({cell, sql, ForStorage(value, plan.types[col])});
  }
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
