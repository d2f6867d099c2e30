#pragma once
#include <memory>
#include <string>
#include <vector>

#include "db/PagedResult.h"
#include "db/sqlite/SqliteSession.h"
#include "db/sqlite/SqliteSources.h"

namespace db::sqlite {

// The rows of one query. Opening prepares the statement for its columns and reads
// no row; pages are read as rows are asked for (db/RowPager.h).
class SqliteResult final : public PagedResult {
 public:
  static std::unique_ptr<Result> Open(std::shared_ptr<Session> session, const std::string& sql);
  // Rows of the layer's own whose columns are described by the caller, read whole by
  // one run of `read` (the catalogue).
  static std::unique_ptr<Result> OpenDescribed(std::shared_ptr<Session> session, WholeSource::Reader read,
                                               std::vector<ColumnInfo> columns);

  SqliteResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns, std::unique_ptr<PageSource> source,
               EditPlan edit);

 private:
  const sql::Dialect& dialect() const override { return sql::kSqlite; }
  Ran run(const std::string& sql, const std::vector<Bound>& values, const std::vector<int>& returned) override;
  void requireUsable() const override;
  Value present(const Value& cell, int column) const override;
  std::string presentText(const Value& cell, int column) const override;

  std::shared_ptr<Session> session_;
};

}  // namespace db::sqlite
