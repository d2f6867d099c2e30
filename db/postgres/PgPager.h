#pragma once
// How a result's rows are read from the server, one page (a libpq result) at a time.
// No cursor and no transaction outlives a call: every page is a query of its own.
//  - KeysetPager: the plain "SELECT * FROM table" of a table with a primary key. Rows
//    in key order; a page continues from the key of a row already read
//    (WHERE (k) > ($1) ORDER BY k LIMIT n), or skips from the nearest known key, the
//    start or the end (ORDER BY k DESC), whichever skips fewest rows: the last row
//    costs a COUNT(*) and one short page.
//  - OffsetPager: any other query, as a subquery read with LIMIT/OFFSET.
//  - WholePager: a small result read once (the tables schema).
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/postgres/PgLib.h"
#include "db/postgres/PgSession.h"

namespace db::pg {

using SharedResult = std::shared_ptr<PGresult>;

struct Page {
  std::int64_t first = 0;  // position of its first row
  SharedResult rows;
  bool reversed = false;   // read in descending key order
  int count() const { return PQntuples(rows.get()); }
  int index(std::int64_t row) const {
    int i = static_cast<int>(row - first);
    return reversed ? count() - 1 - i : i;
  }
};

class Pager {
 public:
  virtual ~Pager() = default;
  // Up to n rows from position start; size is the row count when known.
  virtual Page load(std::int64_t start, int n, std::optional<std::int64_t> size) = 0;
  // The row count when the pager can learn it without reading the rows.
  virtual std::optional<std::int64_t> count() = 0;
  // Pages a sequential reader grows to: each OFFSET page rescans the rows before it,
  // so fewer, larger pages keep a full scan of a subquery near one plain query.
  virtual int largestPage() const { return 16384; }
};

class KeysetPager : public Pager {
 public:
  // table: qualified and quoted; keys: quoted key column names with their result columns.
  KeysetPager(Session& session, std::string table, std::vector<std::string> keyNames, std::vector<int> keyColumns);
  Page load(std::int64_t start, int n, std::optional<std::int64_t> size) override;
  std::optional<std::int64_t> count() override;

 private:
  using Key = std::vector<Param>;
  std::string select(const char* comparison, bool descending, int n, std::int64_t skip) const;
  void remember(const Page& page);
  Key keyAt(const Page& page, std::int64_t row) const;

  Session& session_;
  std::string table_;
  std::vector<std::string> keyNames_;
  std::vector<int> keyColumns_;
  std::map<std::int64_t, Key> anchors_;  // keys of rows already read, by position
};

class OffsetPager : public Pager {
 public:
  OffsetPager(Session& session, std::string subquery);
  Page load(std::int64_t start, int n, std::optional<std::int64_t> size) override;
  std::optional<std::int64_t> count() override { return std::nullopt; }
  int largestPage() const override { return 65536; }

 private:
  Session& session_;
  std::string subquery_;
};

class WholePager : public Pager {
 public:
  explicit WholePager(ResultPtr rows) : rows_(rows.release(), ResultDeleter{}) {}
  Page load(std::int64_t start, int n, std::optional<std::int64_t> size) override;
  std::optional<std::int64_t> count() override { return PQntuples(rows_.get()); }

 private:
  SharedResult rows_;
};

// The query as a subquery "SELECT * FROM (q) AS cartavo_q", trailing semicolons cut.
std::string Subquery(const std::string& sql);

}  // namespace db::pg
