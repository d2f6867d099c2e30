// libFuzzer target: identifier quoting. Whatever a table or schema is called, its
// quoted name is one name to the SQL reader (the statement reads back the same
// schema and table, is one statement, and nothing of it is cut as a tail) and to
// SQLite itself, which creates and reads a table of exactly that name.
#include <fuzzer/FuzzedDataProvider.h>
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "db/SqlText.h"

namespace {

void Require(bool ok) {
  if (!ok) __builtin_trap();
}

using Db = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

Db OpenMemory() {
  sqlite3* raw = nullptr;
  sqlite3_open(":memory:", &raw);
  return Db(raw, &sqlite3_close);
}

void CheckReader(const db::sql::Dialect& d, const std::string& schema, const std::string& table) {
  const std::string sql = "SELECT * FROM " + db::sql::QualifiedName(d, schema, table);
  const auto ref = db::sql::ParsePlainSelect(sql);
  Require(ref.has_value());
  Require(ref->schema == schema && ref->name == table);
  Require(ref->nameQuoted && ref->schemaQuoted == !schema.empty());
  Require(db::sql::TrimStatementEnd(sql) == sql);
  Require(db::sql::SplitStatements(sql).size() == 1);
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  return true;
}

int Exec(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> st(raw, &sqlite3_finalize);
  if (rc != SQLITE_OK) return rc;
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
  }
  return step == SQLITE_DONE ? SQLITE_OK : step;
}

int Count(sqlite3* db, const std::string& table) {
  sqlite3_stmt* raw = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_schema WHERE name = ?", -1, &raw, nullptr);
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> st(raw, &sqlite3_finalize);
  sqlite3_bind_text(raw, 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
  return sqlite3_step(raw) == SQLITE_ROW ? sqlite3_column_int(raw, 0) : -1;
}

// The engine takes the quoted name as a name: no syntax error, no second statement.
// Names it refuses on their own account (NUL, its reserved prefix) are left out.
void CheckEngine(const std::string& table) {
  if (table.find('\0') != std::string::npos || StartsWithNoCase(table, "sqlite_")) return;
  static const Db db = OpenMemory();
  const std::string name = db::sql::QuoteIdentifier(db::sql::kSqlite, table);
  Require(Exec(db.get(), "CREATE TABLE " + name + " (x)") == SQLITE_OK);
  Require(Exec(db.get(), "INSERT INTO " + name + " VALUES (1)") == SQLITE_OK);
  Require(Count(db.get(), table) == 1);
  Require(Exec(db.get(), "DROP TABLE " + name) == SQLITE_OK);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string schema = in.ConsumeRandomLengthString(64);
  const std::string table = in.ConsumeRemainingBytesAsString();
  for (char quote : {'"', '`'}) {
    const db::sql::Dialect d{quote, "IS", db::sql::PlaceholderStyle::Question};
    CheckReader(d, schema, table);
    CheckReader(d, "", table);
  }
  CheckEngine(table);
  return 0;
}
