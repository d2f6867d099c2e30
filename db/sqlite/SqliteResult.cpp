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

std::unique_ptr<Result> SqliteResult::OpenDescribed(std::shared_ptr<Session> session, const std::string& sql,
                                                    std::vector<ColumnInfo> columns) {
  EditPlan edit;
  for (const ColumnInfo& c : columns) {
    edit.types.push_back(c.type);
    edit.targetOf.push_back(-1);
    edit.whyNot.push_back("le righe dello schema non si modificano");
  }
  auto source = std::make_unique<WholeSource>(session, sql, static_cast<int>(columns.size()));
  return std::make_unique<SqliteResult>(session, std::move(columns), std::move(source), std::move(edit));
}

SqliteResult::SqliteResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns,
                           std::unique_ptr<PageSource> source, EditPlan edit)
    : session_(std::move(session)),
      columns_(std::move(columns)),
      source_(std::move(source)),
      pager_(*source_, source_->keyWidth() + static_cast<int>(columns_.size())),
      edit_(std::move(edit)) {}

bool SqliteResult::fetch(std::int64_t row) {
  if (!session_->isOpen()) throw errors::InvalidConnection();
  return pager_.fetch(row);
}

const Value& SqliteResult::cell(int column) const {
  if (!session_->isOpen()) throw errors::InvalidConnection();
  const Value* cells = pager_.current();
  if (!cells) throw errors::NoCurrentRecord();
  if (column < 0 || static_cast<std::size_t>(column) >= columns_.size())
    throw errors::ItemNotFound("posizione " + std::to_string(column));
  return cells[edit_.hidden + column];
}

Value SqliteResult::value(int column) const {
  return Presented(cell(column), columns_[static_cast<std::size_t>(column)].type);
}

bool SqliteResult::isNull(int column) const { return cell(column).IsNull(); }

std::optional<std::int64_t> SqliteResult::size() {
  session_->db();
  return pager_.size();
}

std::int64_t SqliteResult::rowsRead() const {
  session_->db();
  return pager_.rowsRead();
}

void SqliteResult::update(std::int64_t row, const std::vector<std::pair<int, Value>>& changes) {
  session_->db();
  if (changes.empty()) return;
  if (!pager_.fetch(row)) throw errors::NoCurrentRecord();
  const Value* cells = pager_.current();
  std::vector<Value> read(cells, cells + edit_.hidden + static_cast<int>(columns_.size()));
  for (const auto& change : changes)
    if (change.first < 0 || static_cast<std::size_t>(change.first) >= columns_.size())
      throw errors::ItemNotFound("posizione " + std::to_string(change.first));
  pager_.replace(row, WriteRow(*session_, edit_, std::move(read), changes));
}

}  // namespace db::sqlite
