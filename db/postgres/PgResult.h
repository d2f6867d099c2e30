#pragma once
#include <memory>
#include <string>
#include <vector>

#include "db/PagedResult.h"
#include "db/postgres/PgEdit.h"
#include "db/postgres/PgLib.h"
#include "db/postgres/PgSession.h"

namespace db::pg {

// The rows of one query. Opening describes the statement for its columns and reads
// no row; pages are read as rows are asked for (db/RowPager.h). Cells hold the
// server's text; value() decodes it by the column's type.
class PgResult final : public PagedResult {
 public:
  static std::unique_ptr<Result> Open(std::shared_ptr<Session> session, const std::string& sql);
  // A query of the layer's own, read in OFFSET pages, that is never written to.
  static std::unique_ptr<Result> OpenReadOnly(std::shared_ptr<Session> session, const std::string& sql);

  PgResult(std::shared_ptr<Session> session, std::vector<ColumnInfo> columns, std::unique_ptr<PageSource> source,
           EditPlan edit);

 private:
  void requireUsable() const override;
  Value present(const Value& cell, int column) const override;
  std::vector<Value> write(std::vector<Value> read, const std::vector<std::pair<int, Value>>& changes) override;

  std::shared_ptr<Session> session_;
  EditPlan edit_;
};

}  // namespace db::pg
