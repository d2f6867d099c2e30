#pragma once
#include <memory>
#include <string>
#include <vector>

#include "db/PagedResult.h"
#include "db/odbc/OdbcEdit.h"
#include "db/odbc/OdbcSession.h"

namespace db::odbc {

// The rows of one query. Opening prepares the statement for its columns and runs
// nothing; pages are read as rows are asked for (db/RowPager.h).
class OdbcResult final : public PagedResult {
 public:
  static std::unique_ptr<Result> Open(std::shared_ptr<Session> session, const std::string& sql);
  // The tables the driver lists (SQLTables), read at once.
  static std::unique_ptr<Result> Tables(std::shared_ptr<Session> session);

  OdbcResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns, std::unique_ptr<PageSource> source,
             EditPlan edit);

 private:
  void requireUsable() const override;
  Value present(const Value& cell, int column) const override;
  std::vector<Value> write(std::vector<Value> read, const std::vector<std::pair<int, Value>>& changes) override;

  std::shared_ptr<Session> session_;
  EditPlan edit_;
};

}  // namespace db::odbc
