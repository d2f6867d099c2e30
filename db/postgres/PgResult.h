#pragma once
// A query's rows for the object model: pages from a Pager in a small cache, values
// decoded from libpq's text on demand, edits written back by primary key.
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "db/Provider.h"
#include "db/postgres/PgBaseTables.h"
#include "db/postgres/PgPager.h"
#include "db/postgres/PgSession.h"

namespace db::pg {

class PgResult : public Result {
 public:
  // Opens sql: its columns are known from a description, no row is read yet.
  static std::unique_ptr<PgResult> Open(std::shared_ptr<Session> session, const std::string& sql);
  // A result already read whole (the tables schema).
  static std::unique_ptr<PgResult> Whole(std::shared_ptr<Session> session, ResultPtr rows);

  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  bool fetch(std::int64_t row) override;
  Value value(int column) const override;
  bool isNull(int column) const override;
  std::optional<std::int64_t> size() override;
  std::int64_t rowsRead() const override { return rowsRead_; }
  void update(std::int64_t row, const std::vector<std::pair<int, Value>>& changes) override;

 private:
  PgResult(std::shared_ptr<Session> session, const PGresult* description);
  std::shared_ptr<Page> cached(std::int64_t row);
  void load(std::int64_t row);
  int pageSize(std::int64_t row);
  void keep(std::shared_ptr<Page> page);
  const BaseTable& writableTable(const std::vector<std::pair<int, Value>>& changes) const;
  const char* text(int column) const;  // nullptr for NULL
  void requireRow(int column) const;

  std::shared_ptr<Session> session_;
  std::unique_ptr<Pager> pager_;
  std::vector<ColumnInfo> columns_;
  std::vector<Oid> types_;
  BaseTables bases_;
  std::list<std::shared_ptr<Page>> pages_;  // most recently used first
  std::int64_t cachedRows_ = 0;
  std::shared_ptr<Page> page_;              // the page of the current row
  std::int64_t row_ = -1;
  std::int64_t nextInSequence_ = 0;         // the row after the last page read forward
  int growth_ = 0;
  std::optional<std::int64_t> size_;
  std::int64_t rowsRead_ = 0;
  // Rows written back, as the server returned them, until their page is read again.
  std::map<std::int64_t, std::vector<Param>> written_;
};

}  // namespace db::pg
