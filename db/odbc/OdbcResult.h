#pragma once
#include <memory>
#include <string>
#include <vector>

#include "db/Provider.h"
#include "db/RowPager.h"
#include "db/odbc/OdbcEdit.h"
#include "db/odbc/OdbcSession.h"

namespace db::odbc {

// The rows of one query. Opening prepares the statement for its columns and runs
// nothing; pages are read as rows are asked for (db/RowPager.h).
class OdbcResult : public Result {
 public:
  static std::unique_ptr<Result> Open(std::shared_ptr<Session> session, const std::string& sql);
  // The tables the driver lists (SQLTables), read at once.
  static std::unique_ptr<Result> Tables(std::shared_ptr<Session> session);

  OdbcResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns, std::unique_ptr<PageSource> source,
             EditPlan edit);

  // Column descriptions stay readable after the session closes; everything else
  // then raises adErrInvalidConnection.
  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  bool fetch(std::int64_t row) override;
  Value value(int column) const override;
  bool isNull(int column) const override;
  std::optional<std::int64_t> size() override;
  std::int64_t rowsRead() const override;
  void update(std::int64_t row, const std::vector<std::pair<int, Value>>& changes) override;

 private:
  const Value& cell(int column) const;

  std::shared_ptr<Session> session_;
  std::vector<ColumnInfo> columns_;
  std::unique_ptr<PageSource> source_;
  RowPager pager_;
  EditPlan edit_;
};

}  // namespace db::odbc
