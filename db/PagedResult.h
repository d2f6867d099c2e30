#pragma once
#include <memory>
#include <vector>

#include "db/EditPlan.h"
#include "db/Provider.h"
#include "db/RowPager.h"
#include "db/RowWriter.h"

namespace db {

// A provider's result over a RowPager: the rows, their bounds checks and the
// write-back are the same for every engine; an engine says only whether its session
// is usable, what a stored cell stands for, and runs the statements of a write.
// Rows are the plan's hidden key cells followed by one cell per column.
class PagedResult : public Result, protected RowStore {
 public:
  // Column descriptions stay readable after the session closes; everything else
  // then raises what requireUsable() raises.
  const std::vector<ColumnInfo>& columns() const final { return columns_; }
  bool fetch(std::int64_t row) final;
  Value value(int column) const final;
  std::string text(int column) const final;
  bool isNull(int column) const final;
  std::optional<std::int64_t> size() final;
  std::optional<std::int64_t> knownSize() const final;
  std::int64_t rowsRead() const final;
  bool learn() final;
  void update(std::int64_t row, const std::vector<std::pair<int, Value>>& changes) final;
  void refresh(std::int64_t row) final;

 protected:
  PagedResult(std::vector<ColumnInfo> columns, std::unique_ptr<PageSource> source, EditPlan edit);
  int hidden() const { return hidden_; }

  // Raises adErrInvalidConnection once the session is closed or lost.
  virtual void requireUsable() const = 0;
  // The value that a stored cell of the column stands for.
  virtual Value present(const Value& cell, int column) const = 0;
  // The text of present(cell, column).
  virtual std::string presentText(const Value& cell, int column) const { return present(cell, column).ToText(); }

 private:
  const Value& cell(int column) const;
  void requireColumn(int column) const;

  std::vector<ColumnInfo> columns_;
  std::unique_ptr<PageSource> source_;
  EditPlan edit_;
  int hidden_;
  RowPager pager_;
};

}  // namespace db
