#include "db/RowWriter.h"

#include "db/DbError.h"
#include "db/LayerErrors.h"

namespace db {
namespace {

struct CellChange {
  int cell;
  std::string column;  // quoted
  Value value;
};
using Changes = std::vector<CellChange>;

// The changes by the table each is written to; a column that cannot be written
// refuses the whole row before anything is written.
std::vector<Changes> GroupByTarget(const EditPlan& plan, const std::vector<std::pair<int, Value>>& changes) {
  std::vector<Changes> byTarget(plan.targets.size());
  for (const auto& [column, value] : changes) {
    const auto col = static_cast<std::size_t>(column);
    const int target = plan.targetOf.at(col);
    if (target < 0) throw errors::NotAvailable("Impossibile aggiornare: " + plan.whyNot[col]);
    const int cell = plan.hidden + column;
    const EditTarget& t = plan.targets[static_cast<std::size_t>(target)];
    std::string name;
    for (const auto* group : {&t.keys, &t.columns})
      for (const auto& [c, text] : *group)
        if (c == cell) name = text;
    byTarget[static_cast<std::size_t>(target)].push_back({cell, std::move(name), value});
  }
  return byTarget;
}

constexpr const char* kSavepoint = "SAVEPOINT cartavo_edit";

// BEGIN ... COMMIT, or a savepoint, in SQL.
class SqlTransaction final : public WriteTransaction {
 public:
  SqlTransaction(RowStore& s, bool savepoint) : s_(s), savepoint_(savepoint) { run(savepoint_ ? kSavepoint : "BEGIN"); }
  void commit() override {
    run(savepoint_ ? std::string("RELEASE ") + kSavepoint : "COMMIT");
    done_ = true;
  }
  ~SqlTransaction() override {
    if (done_) return;
    try {
      if (savepoint_) {
        run(std::string("ROLLBACK TO ") + kSavepoint);
        run(std::string("RELEASE ") + kSavepoint);
      } else {
        run("ROLLBACK");
      }
    } catch (const DbError&) {
      // the write's own failure is the one to report
    }
  }
  SqlTransaction(const SqlTransaction&) = delete;
  SqlTransaction& operator=(const SqlTransaction&) = delete;

 private:
  void run(const std::string& sql) { s_.run(sql, {}, {}); }

  RowStore& s_;
  bool savepoint_;
  bool done_ = false;
};

// One UPDATE is atomic by itself; several need a transaction.
std::unique_ptr<WriteTransaction> Begin(RowStore& s, std::size_t tables) {
  switch (s.dialect().atomicity) {
    case sql::Atomicity::Savepoint: return std::make_unique<SqlTransaction>(s, true);
    case sql::Atomicity::Transaction:
      return tables > 1 ? std::make_unique<SqlTransaction>(s, s.inTransaction()) : nullptr;
    case sql::Atomicity::Driver: return tables > 1 ? s.driverTransaction() : nullptr;
  }
  return nullptr;
}

// The row as stored, by its key as it is after the write; kept as written when the
// engine rewrote the key.
void ReadBack(RowStore& s, const EditTarget& t, const Changes& changes, const std::vector<int>& read,
              std::vector<Value>& cells) {
  std::vector<std::string> columns, keys;
  std::vector<Bound> values;
  for (const auto* group : {&t.keys, &t.columns})
    for (const auto& [cell, column] : *group) columns.push_back(column);
  for (const auto& [cell, column] : t.keys) {
    keys.push_back(column);
    bool written = false;
    for (const CellChange& c : changes) written = written || c.column == column;
    values.push_back({cell, &cells[static_cast<std::size_t>(cell)], written});
  }
  Ran r = s.run(sql::SelectByKeyText(s.dialect(), t.table, columns, keys), values, read);
  if (r.rows == 0) return;
  for (std::size_t i = 0; i < read.size(); ++i) cells[static_cast<std::size_t>(read[i])] = std::move(r.row[i]);
}

void WriteTable(RowStore& s, const EditPlan& plan, const EditTarget& t, const Changes& changes,
                std::vector<Value>& cells) {
  const sql::Dialect& d = s.dialect();
  sql::OptimisticUpdate u{t.table, {}, {}, {}};
  std::vector<Bound> values;
  for (const CellChange& c : changes) {
    u.set.push_back(c.column);
    values.push_back({c.cell, &c.value, true});
  }
  std::vector<int> read;  // every cell of the table, as the row gives them back
  for (const auto* group : {&t.keys, &t.columns})
    for (const auto& [cell, column] : *group) {
      read.push_back(cell);
      if (d.returning) u.returning.push_back(column);
      const Compare how = plan.compare[static_cast<std::size_t>(cell)];
      if (group == &t.columns && how == Compare::Approximate && !d.compareApproximate) continue;
      u.compare.push_back(how == Compare::AsText ? column + std::string(d.textCompare) : column);
      values.push_back({cell, &cells[static_cast<std::size_t>(cell)], false});
    }
  Ran r = s.run(sql::UpdateText(d, u), values, d.returning ? read : std::vector<int>{});
  // No row changed may still be the row found, already holding the new values.
  if (r.rows == 0 && d.countsChangedRows) r.rows = s.run(sql::MatchText(d, u), values, {}).rows;
  if (r.rows != 1) throw errors::RowChanged();
  if (d.returning) {
    for (std::size_t i = 0; i < read.size(); ++i) cells[static_cast<std::size_t>(read[i])] = std::move(r.row[i]);
    return;
  }
  // What was written, the key read along included, names the row to read back.
  for (const CellChange& c : changes) {
    cells[static_cast<std::size_t>(c.cell)] = c.value;
    for (const auto& [cell, column] : t.keys)
      if (column == c.column) cells[static_cast<std::size_t>(cell)] = c.value;
  }
  ReadBack(s, t, changes, read, cells);
}

}  // namespace

std::vector<Value> WriteRow(RowStore& store, const EditPlan& plan, std::vector<Value> cells,
                            const std::vector<std::pair<int, Value>>& changes) {
  const std::vector<Changes> byTarget = GroupByTarget(plan, changes);
  std::size_t tables = 0;
  for (const Changes& c : byTarget) tables += c.empty() ? 0 : 1;
  const std::unique_ptr<WriteTransaction> transaction = Begin(store, tables);
  for (std::size_t t = 0; t < byTarget.size(); ++t)
    if (!byTarget[t].empty()) WriteTable(store, plan, plan.targets[t], byTarget[t], cells);
  if (transaction) transaction->commit();
  return cells;
}

}  // namespace db
