// The ODBC provider through the SQLite and PostgreSQL drivers: what the behavioural
// tests shared with the other providers do not reach.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "db/providers/BuiltInProviders.h"
#include "db/Ado.h"
#include "db/DbError.h"
#include "db/Provider.h"
#include "db/RowPager.h"
#include "db/SqlText.h"
#include "db/odbc/OdbcSources.h"
#include "tests/Scratch.h"
#include "tests/db/Failure.h"

namespace db {
namespace {

std::unique_ptr<Provider> Open(const std::string& text) {
  static const std::atomic<bool> never{false};
  return BuiltInProvider("ODBC")(ConnectionString::Parse(text), never);
}

std::unique_ptr<Provider> FreshSqlite(const scratch::Dir& dir) {
  return Open("Provider=ODBC;DRIVER={SQLite3};Database=" + dir.File("t.db"));
}

Value At(Provider& p, const std::string& sql, int column = 0) {
  auto r = p.query(sql);
  EXPECT_TRUE(r->fetch(0)) << sql;
  return r->value(column);
}

// Semicolons in texts, comments and trigger bodies do not end a statement.
TEST(OdbcProvider, SplitsScriptsForDriversThatRunOneStatementACall) {
  // SQLite's driver refuses a statement with a comment that holds a ';'.
  EXPECT_EQ(sql::SplitStatements("SELECT 1;; -- c;\nSELECT 2 /* ; */").size(), 2u);
  scratch::Dir dir;
  auto db = FreshSqlite(dir);
  db->execute("CREATE TABLE t(id INTEGER PRIMARY KEY, n TEXT);;\nCREATE TABLE log(id INT);\n"
              "CREATE TRIGGER tr AFTER INSERT ON t BEGIN INSERT INTO log VALUES (new.id); INSERT INTO log VALUES (0); END;\n"
              "INSERT INTO t VALUES (1, ';'); INSERT INTO t VALUES (2, 'a;b')");
  EXPECT_EQ(At(*db, "SELECT count(*) FROM log"), Value(4));
  EXPECT_EQ(At(*db, "SELECT group_concat(n, '|') FROM t"), Value(";|a;b"));
  DbError e = Failure([&] { db->execute("INSERT INTO t VALUES (3, 3); SELECT * FROM nowhere; INSERT INTO t VALUES (4, 4)"); });
  EXPECT_EQ(e.Number(), 1) << "the driver's native error";
  EXPECT_NE(e.Description().find("[HY000]"), std::string::npos) << e.Description();
  EXPECT_NE(e.Description().find("no such table: nowhere"), std::string::npos) << e.Description();
  EXPECT_EQ(At(*db, "SELECT count(*) FROM t"), Value(3)) << "statements before the failing one stay done";
}

TEST(OdbcProvider, WritesBackRowsWhoseFloatingPointValuesTheDriverRounds) {
  scratch::Dir dir;
  auto db = FreshSqlite(dir);
  db->execute("CREATE TABLE t(id INTEGER PRIMARY KEY, r REAL, d DATETIME, name TEXT);"
              "INSERT INTO t VALUES (1, 1.0 / 7, '2024-05-31 13:45:00', 'a')");
  auto r = db->query("SELECT * FROM t");
  ASSERT_TRUE(r->fetch(0));
  EXPECT_EQ(r->value(2).ToText(), "2024-05-31 13:45:00");
  EXPECT_TRUE(r->value(2).Is<DateTime>());
  r->update(0, {{3, Value("b")}});
  EXPECT_EQ(r->value(3), Value("b"));
  EXPECT_EQ(At(*db, "SELECT name FROM t"), Value("b"));
}

// The password in failed connections is Credentials_test's.
TEST(OdbcProvider, ConnectionFailuresComeFromTheDriverManager) {
  DbError e = Failure([] { Open("Provider=ODBC;DSN=cartavo_no_such_dsn"); });
  EXPECT_EQ(e.Number(), adErrProviderFailed);
  EXPECT_NE(e.Description().find("[IM002] [unixODBC][Driver Manager]"), std::string::npos) << e.Description();
}

// Engines without LIMIT run the query again for each page and fetch past the rows
// before it. Every driver here has LIMIT, so the source is run on SQLite's; the query
// ends in a LIMIT of its own, which one more would break.
TEST(OdbcProvider, WithoutLimitPagesStepThroughTheQuery) {
  scratch::Dir dir;
  auto session = std::make_shared<odbc::Session>("DRIVER={SQLite3};Database=" + dir.File("t.db"), "");
  for (const char* sql : {"CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT)",
                          "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 3000) "
                          "INSERT INTO t SELECT i, 'v' || i FROM c"})
    session->execDirect(session->statement().get(), sql);
  odbc::StepSource source(session, "SELECT id, v FROM t ORDER BY id DESC LIMIT 2500");
  RowPager pager(source, 2);
  auto expectRow = [&](std::int64_t row) {
    ASSERT_TRUE(pager.fetch(row)) << row;
    EXPECT_EQ(pager.current()[0].ToText(), std::to_string(3000 - row)) << row;
    EXPECT_EQ(pager.current()[1].ToText(), "v" + std::to_string(3000 - row)) << row;
  };
  for (std::int64_t row : {0, 2499, 1000, 999, 64, 63}) expectRow(row);
  EXPECT_FALSE(pager.fetch(2500));
  EXPECT_EQ(pager.knownSize(), 2500);
  for (std::int64_t row = 0; row < 2500; ++row) expectRow(row);
}

}  // namespace
}  // namespace db
