#include "db/odbc/OdbcSources.h"

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/SqlText.h"

namespace db::odbc {
namespace {

std::string Limits(std::int64_t limit, std::int64_t offset) {
  return " LIMIT " + std::to_string(limit) + " OFFSET " + std::to_string(offset);
}

// Fetches rows into the buffer, reading each cell in the form its column type asks.
void ReadRows(Session& s, SQLHSTMT st, PageBuffer& out, const std::function<bool()>& more,
              std::int64_t limit = -1) {
  SQLSMALLINT n = 0;
  s.check(SQLNumResultCols(st, &n), st);
  if (n != out.width)
    throw DbError(adErrProviderFailed, "Le colonne del risultato sono cambiate dopo l'apertura (tabella modificata): riaprirlo");
  std::vector<SQLSMALLINT> types(static_cast<std::size_t>(n));
  for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(n); ++c) {
    SQLULEN size = 0;
    SQLSMALLINT digits = 0, nullable = 0;
    s.check(SQLDescribeCol(st, c, nullptr, 0, nullptr, &types[c - 1u], &size, &digits, &nullable), st);
  }
  while ((limit < 0 || out.rows() < limit) && s.fetch(st) != SQL_NO_DATA) {
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(n); ++c) out.add(ReadCell(s, st, c, types[c - 1u]));
    if (!more()) break;
  }
}

}  // namespace

KeysetSource::KeysetSource(std::shared_ptr<Session> session, std::string table, std::vector<std::string> keys,
                           std::vector<SqlType> keyTypes)
    : KeysetPages(std::move(table), std::move(keys)), session_(std::move(session)), keyTypes_(std::move(keyTypes)) {}

void KeysetSource::load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit,
                        PageBuffer& out, const std::function<bool()>& more) {
  const std::string sql = sql::KeysetPageText(session_->info().dialect, table(), keys(), key != nullptr, descending,
                                              Limits(limit, offset), keysOnly(out));
  StmtHandle st = session_->statement();
  Parameters params;
  if (key)
    for (std::size_t i = 0; i < keys().size(); ++i) params.bind(*session_, st.get(), (*key)[i], keyTypes_[i]);
  session_->execDirect(st.get(), sql);
  ReadRows(*session_, st.get(), out, more);
}

std::optional<std::int64_t> KeysetSource::count() {
  StmtHandle st = session_->statement();
  session_->execDirect(st.get(), "SELECT COUNT(*) FROM " + table());
  if (session_->fetch(st.get()) == SQL_NO_DATA) return std::nullopt;
  const Value n = ReadCell(*session_, st.get(), 1, SQL_BIGINT);
  return n.Is<std::int64_t>() ? std::optional(n.Get<std::int64_t>()) : std::nullopt;
}

OffsetSource::OffsetSource(std::shared_ptr<Session> session, std::string query)
    : session_(std::move(session)),
      // Line breaks keep a trailing "-- comment" of the query from swallowing the ')'.
      subquery_("SELECT * FROM (\n" + std::string(sql::TrimStatementEnd(query)) + "\n) AS cartavo_q") {}

void OffsetSource::load(const RowKey*, bool, std::int64_t offset, std::int64_t limit, PageBuffer& out,
                        const std::function<bool()>& more) {
  StmtHandle st = session_->statement();
  session_->execDirect(st.get(), subquery_ + Limits(limit, offset));
  ReadRows(*session_, st.get(), out, more);
}

StepSource::StepSource(std::shared_ptr<Session> session, std::string query)
    : session_(std::move(session)), query_(std::move(query)) {}

void StepSource::load(const RowKey*, bool, std::int64_t offset, std::int64_t limit, PageBuffer& out,
                      const std::function<bool()>& more) {
  StmtHandle st = session_->statement();
  session_->execDirect(st.get(), query_);
  for (std::int64_t skipped = 0; skipped < offset; ++skipped)
    if (session_->fetch(st.get()) == SQL_NO_DATA) return;
  ReadRows(*session_, st.get(), out, more, limit);
}

void FixedSource::load(const RowKey*, bool, std::int64_t offset, std::int64_t limit, PageBuffer& out,
                       const std::function<bool()>& more) {
  const std::int64_t rows = static_cast<std::int64_t>(cells_.size()) / width_;
  for (std::int64_t r = offset; r < rows && r < offset + limit; ++r) {
    for (int c = 0; c < width_; ++c) out.add(cells_[static_cast<std::size_t>(r * width_ + c)]);
    if (!more()) break;
  }
}

}  // namespace db::odbc
