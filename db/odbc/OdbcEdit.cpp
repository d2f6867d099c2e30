#include "db/odbc/OdbcEdit.h"

#include "db/LayerErrors.h"
#include "db/SqlText.h"

namespace db::odbc {
namespace {

using Change = CellChange<Value>;

// Drivers may hand floating-point values over rounded (SQLite's to 15 digits): compared
// with what is stored they would never match, so they are not compared.
bool Approximate(SQLSMALLINT type) { return type == SQL_REAL || type == SQL_FLOAT || type == SQL_DOUBLE; }

const SqlType& TypeOf(const EditPlan& plan, int cell) { return plan.types[static_cast<std::size_t>(cell)]; }

// The stored row, by its key as it is after the write.
void ReadBack(Session& s, const EditPlan& plan, const EditTarget& t, std::vector<Value>& cells) {
  std::string sql = "SELECT ";
  std::vector<int> read;
  for (const auto* group : {&t.keys, &t.columns})
    for (const auto& [cell, column] : *group) {
      sql += (read.empty() ? "" : ", ") + column;
      read.push_back(cell);
    }
  sql += " FROM " + t.table;
  for (std::size_t k = 0; k < t.keys.size(); ++k) sql += (k ? " AND " : " WHERE ") + t.keys[k].second + " = ?";
  StmtHandle st = s.statement();
  Parameters params;
  for (const auto& [cell, column] : t.keys)
    params.bind(s, st.get(), cells[static_cast<std::size_t>(cell)], TypeOf(plan, cell));
  s.execDirect(st.get(), sql);
  if (s.fetch(st.get()) == SQL_NO_DATA) return;  // a key the engine rewrote: keep what was written
  for (std::size_t i = 0; i < read.size(); ++i)
    cells[static_cast<std::size_t>(read[i])] =
        ReadCell(s, st.get(), static_cast<SQLUSMALLINT>(i + 1), TypeOf(plan, read[i]).type);
}

void WriteTable(Session& s, const EditPlan& plan, const EditTarget& t, const std::vector<Change>& changes,
                std::vector<Value>& cells) {
  sql::OptimisticUpdate u{t.table, {}, {}, {}};
  StmtHandle st = s.statement();
  Parameters params;
  for (const Change& c : changes) {
    u.set.push_back(c.column);
    params.bind(s, st.get(), c.value, TypeOf(plan, c.cell));
  }
  for (const auto* group : {&t.keys, &t.columns})
    for (const auto& [cell, column] : *group) {
      if (group == &t.columns && Approximate(TypeOf(plan, cell).type)) continue;
      u.compare.push_back(column);
      params.bind(s, st.get(), cells[static_cast<std::size_t>(cell)], TypeOf(plan, cell));
    }
  s.execDirect(st.get(), sql::UpdateText(s.info().dialect, u));
  SQLLEN rows = 0;
  s.check(SQLRowCount(st.get(), &rows), st.get());
  if (rows != 1) throw errors::RowChanged();
  // What was written, the key read along included, names the row to read back.
  for (const Change& c : changes) {
    cells[static_cast<std::size_t>(c.cell)] = c.value;
    for (const auto& [cell, column] : t.keys)
      if (column == c.column) cells[static_cast<std::size_t>(cell)] = c.value;
  }
  ReadBack(s, plan, t, cells);
}

}  // namespace

std::vector<Value> WriteRow(Session& s, const EditPlan& plan, std::vector<Value> cells,
                            const std::vector<std::pair<int, Value>>& changes) {
  const auto byTarget = GroupByTarget(plan, changes, [](const Value& v, int) { return v; });
  Session::Transaction transaction(s, TablesTouched(byTarget) > 1);  // one UPDATE is atomic by itself
  for (std::size_t t = 0; t < byTarget.size(); ++t)
    if (!byTarget[t].empty()) WriteTable(s, plan, plan.targets[t], byTarget[t], cells);
  transaction.commit();
  return cells;
}

}  // namespace db::odbc
