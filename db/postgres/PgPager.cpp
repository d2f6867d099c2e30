#include "db/postgres/PgPager.h"

#include <algorithm>
#include <limits>

#include "db/SqlText.h"

namespace db::pg {
namespace {

// Anchors kept per result; beyond this the map starts again from the pages read next.
constexpr std::size_t kMaxAnchors = 20000;

std::string Joined(const std::vector<std::string>& items, const char* suffix) {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : ", ") + item + suffix;
  return text;
}

SharedResult Share(ResultPtr r) { return SharedResult(r.release(), ResultDeleter{}); }

}  // namespace

std::string Subquery(const std::string& sql) {
  // Line breaks keep a trailing "-- comment" of the query from swallowing the ')'.
  return "SELECT * FROM (\n" + std::string(sql::TrimStatementEnd(sql)) + "\n) AS cartavo_q";
}

KeysetPager::KeysetPager(Session& session, std::string table, std::vector<std::string> keyNames,
                         std::vector<int> keyColumns)
    : session_(session), table_(std::move(table)), keyNames_(std::move(keyNames)), keyColumns_(std::move(keyColumns)) {}

std::string KeysetPager::select(const char* comparison, bool descending, int n, std::int64_t skip) const {
  std::string sql = "SELECT * FROM " + table_;
  if (comparison) {
    std::string params;
    for (std::size_t i = 1; i <= keyNames_.size(); ++i) params += (i > 1 ? ", $" : "$") + std::to_string(i);
    sql += " WHERE (" + Joined(keyNames_, "") + ") " + comparison + " (" + params + ")";
  }
  sql += " ORDER BY " + Joined(keyNames_, descending ? " DESC" : "") + " LIMIT " + std::to_string(n);
  if (skip > 0) sql += " OFFSET " + std::to_string(skip);
  return sql;
}

// Reads from whichever known place skips the fewest rows.
Page KeysetPager::load(std::int64_t start, int n, std::optional<std::int64_t> size) {
  if (size) n = static_cast<int>(std::max<std::int64_t>(0, std::min<std::int64_t>(n, *size - start)));
  const std::int64_t end = start + n;
  enum class From { Start, Below, Above, End } from = From::Start;
  std::int64_t skip = start;
  auto below = anchors_.lower_bound(start);
  if (below != anchors_.begin() && std::prev(below)->first < start) {
    --below;
    if (start - below->first - 1 < skip) from = From::Below, skip = start - below->first - 1;
  }
  auto above = anchors_.lower_bound(end);
  if (above != anchors_.end() && above->first - end < skip) from = From::Above, skip = above->first - end;
  if (size && *size - end < skip) from = From::End, skip = *size - end;

  Page page;
  page.reversed = from == From::Above || from == From::End;
  ResultPtr rows;
  if (n == 0)
    rows = session_.run(select(nullptr, false, 0, 0));
  else if (from == From::Below)
    rows = session_.run(select(">", false, n, skip), below->second);
  else if (from == From::Above)
    rows = session_.run(select("<", true, n, skip), above->second);
  else
    rows = session_.run(select(nullptr, page.reversed, n, skip));
  page.rows = Share(std::move(rows));
  page.first = page.reversed ? end - page.count() : start;
  remember(page);
  return page;
}

std::optional<std::int64_t> KeysetPager::count() {
  ResultPtr r = session_.run("SELECT count(*) FROM " + table_);
  return std::stoll(PQgetvalue(r.get(), 0, 0));
}

KeysetPager::Key KeysetPager::keyAt(const Page& page, std::int64_t row) const {
  Key key;
  for (int c : keyColumns_) key.emplace_back(PQgetvalue(page.rows.get(), page.index(row), c));
  return key;
}

void KeysetPager::remember(const Page& page) {
  if (page.count() == 0) return;
  if (anchors_.size() >= kMaxAnchors) anchors_.clear();
  anchors_[page.first] = keyAt(page, page.first);
  anchors_[page.first + page.count() - 1] = keyAt(page, page.first + page.count() - 1);
}

OffsetPager::OffsetPager(Session& session, std::string subquery)
    : session_(session), subquery_(std::move(subquery)) {}

Page OffsetPager::load(std::int64_t start, int n, std::optional<std::int64_t>) {
  Page page;
  page.first = start;
  page.rows = Share(session_.run(subquery_ + " LIMIT " + std::to_string(n) + " OFFSET " + std::to_string(start)));
  return page;
}

Page WholePager::load(std::int64_t, int, std::optional<std::int64_t>) {
  Page page;
  page.rows = rows_;
  return page;
}

}  // namespace db::pg
