#pragma once
// Where the pages of a PostgreSQL result come from (see db/RowPager.h for the
// scheme). Cells are the server's text as sent, NULL as Null: keys and the values
// an edit compares go back to the server exactly as they came.
#include <memory>
#include <string>
#include <vector>

#include "db/RowPager.h"
#include "db/postgres/PgSession.h"

namespace db::pg {

// A table read in primary-key order.
class KeysetSource : public KeysetPages {
 public:
  KeysetSource(std::shared_ptr<Session> session, std::string table, std::vector<std::string> keys);
  void load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit, PageBuffer& out,
            const std::function<bool()>& more) override;
  std::optional<std::int64_t> count() override;
  void readAhead(const RowKey& key, std::int64_t limit) override;

 private:
  std::shared_ptr<Session> session_;
};

// Any other query, in LIMIT/OFFSET pages of the query as a subquery.
class OffsetSource : public PageSource {
 public:
  OffsetSource(std::shared_ptr<Session> session, std::string subquery);
  void load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit, PageBuffer& out,
            const std::function<bool()>& more) override;

 private:
  std::shared_ptr<Session> session_;
  std::string subquery_;
};

// The query as a subquery, "SELECT * FROM (q) AS cartavo_q", its end trimmed.
std::string Subquery(const std::string& sql);

// A cell as sent: the text, or Null.
Value Cell(const PGresult* rows, int row, int column);
// A cell as a text parameter.
Param AsParam(const Value& cell);

}  // namespace db::pg
