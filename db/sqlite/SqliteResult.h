#pragma once
#include <memory>
#include <string>
#include <vector>

#include "db/Provider.h"
#include "db/RowPager.h"
#include "db/sqlite/SqliteEdit.h"
#include "db/sqlite/SqliteSession.h"

namespace db::sqlite {

// The rows of one query. Opening prepares the statement for its columns and reads
// no row; pages are read as rows are asked for (db/RowPager.h).
class SqliteResult : public Result {
 public:
  static std::unique_ptr<Result> Open(std::shared_ptr<Session> session, const std::string& sql);
  // A query of the layer's own whose columns are described by the caller, read whole
  // by one run (the catalogue).
  static std::unique_ptr<Result> OpenDescribed(std::shared_ptr<Session> session, const std::string& sql,
                                               std::vector<ColumnInfo> columns);

  // Column descriptions stay readable after the session closes; everything else
  // then raises adErrInvalidConnection.
  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  bool fetch(std::int64_t row) override;
  Value value(int column) const override;
  bool isNull(int column) const override;
  std::optional<std::int64_t> size() override;
  std::int64_t rowsRead() const override;
  void update(std::int64_t row, const std::vector<std::pair<int, Value>>& changes) override;

  SqliteResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns, std::unique_ptr<PageSource> source,
               EditPlan edit);

 private:
  const Value& cell(int column) const;

  std::shared_ptr<Session> session_;
  std::vector<ColumnInfo> columns_;
  std::unique_ptr<PageSource> source_;
  RowPager pager_;
  EditPlan edit_;
};

}  // namespace db::sqlite
