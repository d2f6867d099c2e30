#include "db/postgres/PgResult.h"

#include "db/LayerErrors.h"
#include "db/postgres/PgPlan.h"
#include "db/postgres/PgSources.h"
#include "db/postgres/PgTypes.h"

namespace db::pg {

std::unique_ptr<Result> PgResult::Open(std::shared_ptr<Session> session, const std::string& sql) {
  Described q = Describe(*session, sql);
  if (auto keyset = PlanKeyset(q, sql)) {
    auto source = std::make_unique<KeysetSource>(session, keyset->table, keyset->keys);
    return std::make_unique<PgResult>(session, std::move(q.columns), std::move(source), std::move(keyset->edit));
  }
  const std::string subquery = Subquery(sql);
  session->describe(subquery);  // a statement that cannot be read in pages fails here, not at the first row
  EditPlan edit = PlanEdits(q);
  auto source = std::make_unique<OffsetSource>(session, subquery);
  return std::make_unique<PgResult>(session, std::move(q.columns), std::move(source), std::move(edit));
}

std::unique_ptr<Result> PgResult::OpenReadOnly(std::shared_ptr<Session> session, const std::string& sql) {
  Described q = Describe(*session, sql, false);
  EditPlan edit;
  edit.types = q.types;
  edit.targetOf.assign(q.columns.size(), -1);
  edit.whyNot.assign(q.columns.size(), "le righe dello schema non si modificano");
  auto source = std::make_unique<OffsetSource>(session, Subquery(sql));
  return std::make_unique<PgResult>(session, std::move(q.columns), std::move(source), std::move(edit));
}

PgResult::PgResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns,
                   std::unique_ptr<PageSource> source, EditPlan edit)
    : PagedResult(std::move(columns), std::move(source), edit.hidden),
      session_(std::move(session)),
      edit_(std::move(edit)) {}

void PgResult::requireUsable() const { session_->requireUsable(); }

Value PgResult::present(const Value& cell, int column) const {
  if (cell.IsNull()) return cell;
  const std::string& text = cell.Get<std::string>();
  return Decode(edit_.types[static_cast<std::size_t>(edit_.hidden + column)], text.data(), static_cast<int>(text.size()));
}

std::vector<Value> PgResult::write(std::vector<Value> read, const std::vector<std::pair<int, Value>>& changes) {
  return WriteRow(*session_, edit_, std::move(read), changes);
}

}  // namespace db::pg
