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
    : session_(std::move(session)),
      columns_(std::move(columns)),
      source_(std::move(source)),
      pager_(*source_, source_->keyWidth() + static_cast<int>(columns_.size())),
      edit_(std::move(edit)) {}

bool PgResult::fetch(std::int64_t row) {
  session_->requireUsable();
  return pager_.fetch(row);
}

const Value& PgResult::cell(int column) const {
  session_->requireUsable();
  const Value* cells = pager_.current();
  if (!cells) throw errors::NoCurrentRecord();
  if (column < 0 || static_cast<std::size_t>(column) >= columns_.size())
    throw errors::ItemNotFound("posizione " + std::to_string(column));
  return cells[edit_.hidden + column];
}

Value PgResult::value(int column) const {
  const Value& c = cell(column);
  if (c.IsNull()) return c;
  const std::string& text = c.Get<std::string>();
  return Decode(edit_.types[static_cast<std::size_t>(edit_.hidden + column)], text.data(), static_cast<int>(text.size()));
}

bool PgResult::isNull(int column) const { return cell(column).IsNull(); }

std::optional<std::int64_t> PgResult::size() {
  session_->requireUsable();
  return pager_.size();
}

std::int64_t PgResult::rowsRead() const {
  session_->requireUsable();
  return pager_.rowsRead();
}

void PgResult::update(std::int64_t row, const std::vector<std::pair<int, Value>>& changes) {
  session_->requireUsable();
  if (changes.empty()) return;
  for (const auto& change : changes)
    if (change.first < 0 || static_cast<std::size_t>(change.first) >= columns_.size())
      throw errors::ItemNotFound("posizione " + std::to_string(change.first));
  if (!pager_.fetch(row)) throw errors::NoCurrentRecord();
  const Value* cells = pager_.current();
  std::vector<Value> read(cells, cells + edit_.hidden + static_cast<int>(columns_.size()));
  pager_.replace(row, WriteRow(*session_, edit_, std::move(read), changes));
}

}  // namespace db::pg
