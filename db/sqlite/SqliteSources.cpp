#include "db/sqlite/SqliteSources.h"

#include <sqlite3.h>

#include <algorithm>

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/SqlText.h"

namespace db::sqlite {

namespace {

// Steps the statement into the buffer; the caller's ResetOnExit ends the read.
void ReadRows(const Session& s, sqlite3_stmt* st, PageBuffer& out, const std::function<bool()>& more) {
  if (s.check(sqlite3_step(st)) != SQLITE_ROW) return;
  if (sqlite3_column_count(st) != out.width)
    throw DbError(adErrProviderFailed,
                  "Le colonne del risultato sono cambiate dopo l'apertura (tabella modificata): riaprirlo");
  do {
    for (int c = 0; c < out.width; ++c) {
      if (sqlite3_column_type(st, c) == SQLITE_TEXT) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
        out.addText(std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(st, c))));
      } else {
        out.add(ReadCell(st, c));
      }
    }
    if (!more()) break;
  } while (s.check(sqlite3_step(st)) == SQLITE_ROW);
}

}  // namespace

KeysetSource::KeysetSource(std::shared_ptr<Session> session, std::string table, std::vector<std::string> keys)
    : KeysetPages(std::move(table), std::move(keys)), session_(std::move(session)) {}

sqlite3_stmt* KeysetSource::statement(bool keysOnly, bool fromKey, bool descending) {
  Statement& st = pages_[(keysOnly ? 4 : 0) + (fromKey ? 2 : 0) + (descending ? 1 : 0)];
  if (st) return st.get();
  st = session_->prepare(
      sql::KeysetPageText(sql::kSqlite, table(), keys(), fromKey, descending, " LIMIT ? OFFSET ?", keysOnly));
  return st.get();
}

void KeysetSource::load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit,
                        PageBuffer& out, const std::function<bool()>& more) {
  session_->db();
  sqlite3_stmt* st = statement(keysOnly(out), key != nullptr, descending);
  ResetOnExit reset(st);
  int i = 1;
  if (key)
    for (const Value& v : *key) Bind(*session_, st, i++, v);
  Bind(*session_, st, i++, Value(limit));
  Bind(*session_, st, i, Value(offset));
  ReadRows(*session_, st, out, more);
}

std::optional<std::int64_t> KeysetSource::count() {
  session_->db();
  if (!count_) count_ = session_->prepare("SELECT count(*) FROM " + table());
  ResetOnExit reset(count_.get());
  session_->check(sqlite3_step(count_.get()));
  return sqlite3_column_int64(count_.get(), 0);
}

OffsetSource::OffsetSource(std::shared_ptr<Session> session, std::string query)
    : session_(std::move(session)), query_(std::move(query)) {}

void OffsetSource::load(const RowKey*, bool, std::int64_t offset, std::int64_t limit, PageBuffer& out,
                        const std::function<bool()>& more) {
  session_->db();
  if (!paged_ && !stepped_) {
    try {
      // The line breaks end a trailing "--" comment of the query inside the parentheses.
      paged_ = session_->prepare("SELECT * FROM (\n" + query_ + "\n) LIMIT ? OFFSET ?");
    } catch (const DbError& e) {
      if (e.Kind() != ErrorKind::Syntax) throw;  // busy, interrupted...: not a matter of the text
      stepped_ = session_->prepare(query_);
    }
  }
  if (paged_) {
    ResetOnExit reset(paged_.get());
    Bind(*session_, paged_.get(), 1, Value(limit));
    Bind(*session_, paged_.get(), 2, Value(offset));
    ReadRows(*session_, paged_.get(), out, more);
    return;
  }
  ResetOnExit reset(stepped_.get());
  for (std::int64_t skipped = 0; skipped < offset; ++skipped)
    if (session_->check(sqlite3_step(stepped_.get())) != SQLITE_ROW) return;
  ReadRows(*session_, stepped_.get(), out, [&] { return out.rows() < limit && more(); });
}

WholeSource::WholeSource(std::shared_ptr<Session> session, Reader read, int width)
    : session_(std::move(session)), read_(std::move(read)), width_(width) {}

void WholeSource::load(const RowKey*, bool, std::int64_t offset, std::int64_t limit, PageBuffer& out,
                       const std::function<bool()>& more) {
  session_->db();
  if (!rows_) {
    PageBuffer all(width_);
    read_(*session_, all);
    rows_ = std::move(all);
  }
  const std::int64_t end = std::min(rows_->rows(), offset + limit);
  for (std::int64_t row = offset; row < end; ++row) {
    for (int c = 0; c < width_; ++c) out.add(rows_->cells[static_cast<std::size_t>(row * width_ + c)]);
    if (!more()) break;
  }
}

std::optional<std::int64_t> WholeSource::count() {
  if (!rows_) return std::nullopt;
  return rows_->rows();
}

}  // namespace db::sqlite
