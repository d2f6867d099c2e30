#include "db/postgres/PgSources.h"

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/SqlText.h"
#include "db/postgres/PgTypes.h"

namespace db::pg {
namespace {

void ReadRows(const PGresult* rows, PageBuffer& out, const std::function<bool()>& more) {
  if (PQnfields(rows) != out.width)
    throw DbError(adErrProviderFailed, "Le colonne del risultato sono cambiate dopo l'apertura (tabella modificata): riaprirlo");
  for (int r = 0; r < PQntuples(rows); ++r) {
    for (int c = 0; c < out.width; ++c) out.add(Cell(rows, r, c));
    if (!more()) break;
  }
}

std::string Limits(std::int64_t limit, std::int64_t offset) {
  return " LIMIT " + std::to_string(limit) + (offset > 0 ? " OFFSET " + std::to_string(offset) : "");
}

}  // namespace

Value Cell(const PGresult* rows, int row, int column) {
  if (PQgetisnull(rows, row, column)) return Value();
  return Value(std::string(PQgetvalue(rows, row, column), static_cast<std::size_t>(PQgetlength(rows, row, column))));
}

Param AsParam(const Value& cell) {
  if (cell.IsNull()) return std::nullopt;
  return cell.Is<std::string>() ? cell.Get<std::string>() : cell.ToText();
}

std::string Subquery(const std::string& sql) {
  // Line breaks keep a trailing "-- comment" of the query from swallowing the ')'.
  return "SELECT * FROM (\n" + std::string(sql::TrimStatementEnd(sql)) + "\n) AS cartavo_q";
}

KeysetSource::KeysetSource(std::shared_ptr<Session> session, std::string table, std::vector<std::string> keys)
    : KeysetPages(std::move(table), std::move(keys)), session_(std::move(session)) {}

void KeysetSource::load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit,
                        PageBuffer& out, const std::function<bool()>& more) {
  std::vector<Param> params;
  if (key)
    for (const Value& v : *key) params.push_back(AsParam(v));
  ResultPtr rows = session_->run(
      sql::KeysetPageText(sql::kPostgres, table(), keys(), key != nullptr, descending, Limits(limit, offset),
                          keysOnly(out)),
      params);
  ReadRows(rows.get(), out, more);
}

// The server reads the next page while the rows of this one are used.
void KeysetSource::readAhead(const RowKey& key, std::int64_t limit) {
  std::vector<Param> params;
  for (const Value& v : key) params.push_back(AsParam(v));
  session_->sendAhead(sql::KeysetPageText(sql::kPostgres, table(), keys(), true, false, Limits(limit, 0)),
                      std::move(params));
}

std::optional<std::int64_t> KeysetSource::count() {
  ResultPtr r = session_->run("SELECT count(*) FROM " + table());
  return std::stoll(PQgetvalue(r.get(), 0, 0));
}

OffsetSource::OffsetSource(std::shared_ptr<Session> session, std::string subquery)
    : session_(std::move(session)), subquery_(std::move(subquery)) {}

void OffsetSource::load(const RowKey*, bool, std::int64_t offset, std::int64_t limit, PageBuffer& out,
                        const std::function<bool()>& more) {
  ResultPtr rows = session_->run(subquery_ + Limits(limit, offset));
  ReadRows(rows.get(), out, more);
}

}  // namespace db::pg
