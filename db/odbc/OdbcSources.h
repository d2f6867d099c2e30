#pragma once
// Where the pages of an ODBC result come from (see db/RowPager.h for the scheme).
// Every page is a statement of its own, closed before load() returns: no cursor and,
// with autocommit, no transaction outlives a call.
#include <memory>
#include <string>
#include <vector>

#include "db/RowPager.h"
#include "db/odbc/OdbcSession.h"
#include "db/odbc/OdbcTypes.h"

namespace db::odbc {

// A table read in key order (engines with LIMIT).
class KeysetSource : public KeysetPages {
 public:
  // keyTypes: the SQL types of the keys.
  KeysetSource(std::shared_ptr<Session> session, std::string table, std::vector<std::string> keys,
               std::vector<SqlType> keyTypes);
  void load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit, PageBuffer& out,
            const std::function<bool()>& more) override;
  std::optional<std::int64_t> count() override;

 private:
  std::shared_ptr<Session> session_;
  std::vector<SqlType> keyTypes_;
};

// Any other query on an engine with LIMIT/OFFSET: pages of the query as a subquery.
class OffsetSource : public PageSource {
 public:
  OffsetSource(std::shared_ptr<Session> session, std::string query);
  void load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit, PageBuffer& out,
            const std::function<bool()>& more) override;

 private:
  std::shared_ptr<Session> session_;
  std::string subquery_;
};

// Engines without LIMIT: the query is run again for each page and fetched past
// the rows before it, forward only; the size is known once a page comes back short.
class StepSource : public PageSource {
 public:
  StepSource(std::shared_ptr<Session> session, std::string query);
  void load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit, PageBuffer& out,
            const std::function<bool()>& more) override;

 private:
  std::shared_ptr<Session> session_;
  std::string query_;
};

// Rows already in memory (the tables of the catalogue).
class FixedSource : public PageSource {
 public:
  FixedSource(std::vector<Value> cells, int width) : cells_(std::move(cells)), width_(width) {}
  void load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit, PageBuffer& out,
            const std::function<bool()>& more) override;
  std::optional<std::int64_t> count() override { return static_cast<std::int64_t>(cells_.size()) / width_; }

 private:
  std::vector<Value> cells_;
  int width_;
};

}  // namespace db::odbc
