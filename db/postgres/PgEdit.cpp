#include "db/postgres/PgEdit.h"

#include "db/LayerErrors.h"
#include "db/SqlText.h"
#include "db/postgres/PgSources.h"
#include "db/postgres/PgTypes.h"

namespace db::pg {
namespace {

using Change = CellChange<Param>;

void WriteTable(Session& s, const EditPlan& plan, const EditTarget& t, const std::vector<Change>& changes,
                std::vector<Value>& cells) {
  sql::OptimisticUpdate u{t.table, {}, {}, {}};
  std::vector<Param> params;
  for (const Change& c : changes) {
    u.set.push_back(c.column);
    params.push_back(c.value);
  }
  std::vector<int> compared;
  for (const auto* group : {&t.keys, &t.columns})
    for (const auto& [cell, column] : *group) {
      u.compare.push_back(LacksEquality(plan.types[static_cast<std::size_t>(cell)]) ? column + "::text" : column);
      u.returning.push_back(column);
      params.push_back(AsParam(cells[static_cast<std::size_t>(cell)]));
      compared.push_back(cell);
    }
  ResultPtr stored = s.run(sql::UpdateText(sql::kPostgres, u), params);
  if (PQntuples(stored.get()) != 1) throw errors::RowChanged();
  for (std::size_t i = 0; i < compared.size(); ++i)
    cells[static_cast<std::size_t>(compared[i])] = Cell(stored.get(), 0, static_cast<int>(i));
}

// BEGIN/COMMIT around several UPDATEs, or a savepoint inside the user's own transaction.
class EditTransaction {
 public:
  explicit EditTransaction(Session& s) : s_(s), own_(!s.inTransaction()) {
    s_.run(own_ ? "BEGIN" : "SAVEPOINT cartavo_edit");
  }
  void commit() {
    s_.run(own_ ? "COMMIT" : "RELEASE SAVEPOINT cartavo_edit");
    done_ = true;
  }
  ~EditTransaction() {
    if (done_) return;
    try {
      s_.runAll(own_ ? "ROLLBACK" : "ROLLBACK TO SAVEPOINT cartavo_edit; RELEASE SAVEPOINT cartavo_edit");
    } catch (const DbError&) {
      // the write's own failure is the one to report
    }
  }
  EditTransaction(const EditTransaction&) = delete;
  EditTransaction& operator=(const EditTransaction&) = delete;

 private:
  Session& s_;
  bool own_;
  bool done_ = false;
};

}  // namespace

std::vector<Value> WriteRow(Session& s, const EditPlan& plan, std::vector<Value> cells,
                            const std::vector<std::pair<int, Value>>& changes) {
  const auto byTarget = GroupByTarget(plan, changes, [](const Value& v, int) { return Encode(v); });
  if (TablesTouched(byTarget) == 1) {  // one statement is atomic by itself
    for (std::size_t t = 0; t < byTarget.size(); ++t)
      if (!byTarget[t].empty()) WriteTable(s, plan, plan.targets[t], byTarget[t], cells);
    return cells;
  }
  EditTransaction transaction(s);
  for (std::size_t t = 0; t < byTarget.size(); ++t)
    if (!byTarget[t].empty()) WriteTable(s, plan, plan.targets[t], byTarget[t], cells);
  transaction.commit();
  return cells;
}

}  // namespace db::pg
