#include "db/PagedResult.h"

#include <string>

#include "db/LayerErrors.h"

namespace db {

namespace {

// Raised out of line: the checks that every read of a value makes stay small enough
// to be inlined.
[[noreturn, gnu::noinline]] void RaiseNoColumn(int column) {
  throw errors::ItemNotFound("posizione " + std::to_string(column));
}
[[noreturn, gnu::noinline]] void RaiseNoRow() { throw errors::NoCurrentRecord(); }

}  // namespace

PagedResult::PagedResult(std::vector<ColumnInfo> columns, std::unique_ptr<PageSource> source, EditPlan edit)
    : columns_(std::move(columns)),
      source_(std::move(source)),
      edit_(std::move(edit)),
      hidden_(edit_.hidden),
      pager_(*source_, source_->keyWidth() + static_cast<int>(columns_.size())) {}

bool PagedResult::fetch(std::int64_t row) {
  requireUsable();
  return pager_.fetch(row);
}

void PagedResult::requireColumn(int column) const {
  if (column < 0 || static_cast<std::size_t>(column) >= columns_.size()) RaiseNoColumn(column);
}

const Value& PagedResult::cell(int column) const {
  requireUsable();
  const Value* cells = pager_.current();
  if (!cells) RaiseNoRow();
  requireColumn(column);
  return cells[hidden_ + column];
}

Value PagedResult::value(int column) const { return present(cell(column), column); }

std::string PagedResult::text(int column) const { return presentText(cell(column), column); }

bool PagedResult::isNull(int column) const { return cell(column).IsNull(); }

std::optional<std::int64_t> PagedResult::size() {
  requireUsable();
  return pager_.size();
}

std::optional<std::int64_t> PagedResult::knownSize() const {
  requireUsable();
  return pager_.knownSize();
}

bool PagedResult::learn() {
  requireUsable();
  return pager_.learn();
}

std::int64_t PagedResult::rowsRead() const {
  requireUsable();
  return pager_.rowsRead();
}

void PagedResult::update(std::int64_t row, const std::vector<std::pair<int, Value>>& changes) {
  requireUsable();
  if (changes.empty()) return;
  for (const auto& change : changes) requireColumn(change.first);
  if (!pager_.fetch(row)) throw errors::NoCurrentRecord();
  const Value* cells = pager_.current();
  std::vector<Value> read(cells, cells + hidden_ + static_cast<int>(columns_.size()));
  pager_.replace(row, WriteRow(*this, edit_, std::move(read), changes));
}

void PagedResult::refresh(std::int64_t row) {
  requireUsable();
  pager_.drop(row);
}

}  // namespace db
