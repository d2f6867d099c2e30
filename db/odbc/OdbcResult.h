#pragma once
#include <memory>
#include <string>
#include <vector>

#include "db/PagedResult.h"
#include "db/odbc/OdbcSession.h"
#include "db/odbc/OdbcTypes.h"

namespace db::odbc {

// The rows of one query. Opening prepares the statement for its columns and runs
// nothing; pages are read as rows are asked for (db/RowPager.h).
class OdbcResult final : public PagedResult {
 public:
  static std::unique_ptr<Result> Open(std::shared_ptr<Session> session, const std::string& sql);
  // The tables the driver lists (SQLTables), read at once.
  static std::unique_ptr<Result> Tables(std::shared_ptr<Session> session);

  // types: the SQL type of each cell, hidden ones included.
  OdbcResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns, std::vector<SqlType> types,
             std::unique_ptr<PageSource> source, EditPlan edit);

 private:
  void requireUsable() const override;
  Value present(const Value& cell, int column) const override;
  const sql::Dialect& dialect() const override { return session_->info().dialect; }
  Ran run(const std::string& sql, const std::vector<Bound>& values, const std::vector<int>& returned) override;
  std::unique_ptr<WriteTransaction> driverTransaction() override;
  const SqlType& typeOf(int cell) const { return types_[static_cast<std::size_t>(cell)]; }

  std::shared_ptr<Session> session_;
  std::vector<SqlType> types_;
};

}  // namespace db::odbc
