#include "db/sqlite/SqliteResult.h"

#include "db/LayerErrors.h"
#include "db/SqlText.h"
#include "db/sqlite/SqlitePlan.h"
#include "db/sqlite/SqliteSources.h"
#include "db/sqlite/SqliteTypes.h"

namespace db::sqlite {

std::unique_ptr<Result> SqliteResult::Open(std::shared_ptr<Session> session, const std::string& sql) {
  if (sql::IsBlank(sql)) throw errors::NoCommand();
  Prepared q = PrepareQuery(*session, sql);
  const int width = static_cast<int>(q.columns.size());
  if (auto keyset = PlanKeyset(*session, q, sql)) {
    auto source = std::make_unique<KeysetSource>(session, keyset->table, keyset->keys);
    return std::make_unique<SqliteResult>(session, std::move(q.columns), std::move(source), std::move(keyset->edit));
  }
  EditPlan edit = PlanEdits(*session, q);
  auto source = std::make_unique<OffsetSource>(session, std::string(sql::TrimStatementEnd(sql)), width);
  return std::make_unique<SqliteResult>(session, std::move(q.columns), std::move(source), std::move(edit));
}

std::unique_ptr<Result> SqliteResult::OpenDescribed(std::shared_ptr<Session> session, WholeSource::Reader read,
                                                    std::vector<ColumnInfo> columns) {
  EditPlan edit;
  for (const ColumnInfo& c : columns) {
    edit.types.push_back(c.type);
    edit.targetOf.push_back(-1);
    edit.whyNot.push_back("le righe dello schema non si modificano");
  }
  auto source = std::make_unique<WholeSource>(session, std::move(read), static_cast<int>(columns.size()));
  return std::make_unique<SqliteResult>(session, std::move(columns), std::move(source), std::move(edit));
}

SqliteResult::SqliteResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns,
                           std::unique_ptr<PageSource> source, EditPlan edit)
    : PagedResult(std::move(columns), std::move(source), edit.hidden),
      session_(std::move(session)),
      edit_(std::move(edit)) {}

void SqliteResult::requireUsable() const { session_->db(); }

Value SqliteResult::present(const Value& cell, int column) const {
  return Presented(cell, columns()[static_cast<std::size_t>(column)].type);
}

std::string SqliteResult::presentText(const Value& cell, int column) const {
  return PresentedText(cell, columns()[static_cast<std::size_t>(column)].type);
}

std::vector<Value> SqliteResult::write(std::vector<Value> read, const std::vector<std::pair<int, Value>>& changes) {
  return WriteRow(*session_, edit_, std::move(read), changes);
}

}  // namespace db::sqlite
