#pragma once
// Where the pages of a SQLite result come from (see db/RowPager.h for the scheme).
#include <memory>
#include <string>
#include <vector>

#include "db/RowPager.h"
#include "db/sqlite/SqliteSession.h"

namespace db::sqlite {

// A table read in the order of its row id, or of the primary key of a WITHOUT ROWID
// table.
class KeysetSource : public KeysetPages {
 public:
  KeysetSource(std::shared_ptr<Session> session, std::string table, std::vector<std::string> keys);
  void load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit, PageBuffer& out,
            const std::function<bool()>& more) override;
  std::optional<std::int64_t> count() override;

 private:
  sqlite3_stmt* statement(bool keysOnly, bool fromKey, bool descending);

  std::shared_ptr<Session> session_;
  Statement pages_[8];  // [keysOnly][fromKey][descending], prepared on first use
  Statement count_;
};

// Any other query, in LIMIT/OFFSET pages of the query as a subquery; a statement
// that cannot be a subquery (a PRAGMA) is run again and stepped past the offset.
// The size is unknown until a page comes back short.
class OffsetSource : public PageSource {
 public:
  OffsetSource(std::shared_ptr<Session> session, std::string query);
  void load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit, PageBuffer& out,
            const std::function<bool()>& more) override;

 private:
  std::shared_ptr<Session> session_;
  std::string query_;
  Statement paged_;   // SELECT * FROM (query) LIMIT ? OFFSET ?
  Statement stepped_; // the query itself, when it cannot be wrapped
};

// Rows of the layer's own read whole by one run and kept: the catalogue, whose rows
// are sorted after reading, so that pages of it would each cost the whole read again.
// Its rows are few and all of them go into the table list anyway.
class WholeSource : public PageSource {
 public:
  // Appends every row to the buffer (of `width` cells a row).
  using Reader = std::function<void(const Session&, PageBuffer&)>;
  WholeSource(std::shared_ptr<Session> session, Reader read, int width);
  void load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit, PageBuffer& out,
            const std::function<bool()>& more) override;
  std::optional<std::int64_t> count() override;

 private:
  std::shared_ptr<Session> session_;
  Reader read_;
  std::optional<PageBuffer> rows_;  // after the first load
  int width_;
};

}  // namespace db::sqlite
