// The ODBC provider through the SQLite and PostgreSQL drivers: what the behavioural
// tests shared with the other providers do not reach.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>

#include "db/providers/BuiltInProviders.h"
#include "db/Ado.h"
#include "db/DbError.h"
#include "db/Provider.h"
#include "db/SqlText.h"
#include "db/odbc/OdbcResult.h"
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
  EXPECT_EQ(sql::WithoutComments("SELECT /*+ hint; */ 1 -- c;\n/* ; */'--'"), "SELECT /*+ hint; */ 1 \n '--'");
  scratch::Dir dir;
  auto db = FreshSqlite(dir);
  db->execute("-- tables; then a trigger\nCREATE TABLE t(id INTEGER PRIMARY KEY, n TEXT);;\nCREATE TABLE log(id INT);\n"
              "CREATE TRIGGER tr AFTER INSERT ON t BEGIN INSERT INTO log VALUES (new.id); INSERT INTO log VALUES (0); END;\n"
              "INSERT INTO t VALUES (1, ';'); INSERT INTO t VALUES (2, 'a;b')");
  EXPECT_EQ(At(*db, "SELECT count(*) FROM log"), Value(4));
  EXPECT_EQ(At(*db, "SELECT group_concat(n, '|') FROM t"), Value(";|a;b"));
  // The error itself is ProviderBehaviour's.
  Failure([&] { db->execute("INSERT INTO t VALUES (3, 3); SELECT * FROM nowhere; INSERT INTO t VALUES (4, 4)"); });
  EXPECT_EQ(At(*db, "SELECT count(*) FROM t"), Value(3)) << "statements before the failing one stay done";
}

// A missing data source fails in the driver manager; one of odbc.ini (the MariaDB test
// server's, CARTAVO_TEST_MARIADB_DSN) connects. Its listing is the connection dialog's,
// the password in failed connections Credentials_test's.
TEST(OdbcProvider, DataSourcesConnectByName) {
  DbError e = Failure([] { Open("Provider=ODBC;DSN=cartavo_no_such_dsn"); });
  EXPECT_EQ(e.Number(), adErrProviderFailed);
  EXPECT_NE(e.Description().find("[IM002] [unixODBC][Driver Manager]"), std::string::npos) << e.Description();
  if (const char* dsn = std::getenv("CARTAVO_TEST_MARIADB_DSN")) {
    EXPECT_EQ(At(*Open(std::string("Provider=ODBC;DSN=") + dsn), "SELECT DATABASE()"), Value("cartavo_test"));
  }
}

// Engines without LIMIT: each page runs the query as it is and fetches past the rows
// before it, and no table is paged by its key. Every driver here has LIMIT, so
// SQLite's is told it has none (the session is not const, only its accessor). A
// PRAGMA runs only as it is, never inside another SELECT; a query that ends in LIMIT
// takes no second one.
TEST(OdbcProvider, WithoutLimitEveryPageRunsTheQueryAsItIs) {
  scratch::Dir dir;
  auto session = std::make_shared<odbc::Session>("DRIVER={SQLite3};Database=" + dir.File("t.db"), "");
  const_cast<odbc::EngineInfo&>(session->info()).dialect.limitOffset = false;
  std::string wide = "CREATE TABLE w (c0 INTEGER PRIMARY KEY";
  for (int c = 1; c < 300; ++c) wide += ", c" + std::to_string(c);
  for (const std::string& sql : {wide + ")", std::string("CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT)"),
                                 std::string("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < "
                                             "3000) INSERT INTO t SELECT i, 'v' || i FROM c")})
    session->execDirect(session->statement().get(), sql);

  auto columns = odbc::OdbcResult::Open(session, "PRAGMA table_info(w)");
  for (std::int64_t row : {299, 0, 150}) {
    ASSERT_TRUE(columns->fetch(row)) << row;
    EXPECT_EQ(columns->value(1).ToText(), "c" + std::to_string(row));
  }
  EXPECT_FALSE(columns->fetch(300));

  auto r = odbc::OdbcResult::Open(session, "SELECT id, v FROM t ORDER BY id DESC LIMIT 2500");
  auto expectRow = [&](std::int64_t row) {
    ASSERT_TRUE(r->fetch(row)) << row;
    EXPECT_EQ(r->value(0).ToText(), std::to_string(3000 - row)) << row;
    EXPECT_EQ(r->value(1).ToText(), "v" + std::to_string(3000 - row)) << row;
  };
  for (std::int64_t row : {0, 2499, 1000, 999, 64, 63}) expectRow(row);
  EXPECT_FALSE(r->fetch(2500));
  EXPECT_EQ(r->size(), 2500);
  for (std::int64_t row = 0; row < 2500; ++row) expectRow(row);

  // Written back by the key all the same.
  auto all = odbc::OdbcResult::Open(session, "SELECT * FROM t");
  ASSERT_TRUE(all->fetch(2000));
  all->update(2000, {{1, Value("nuovo")}});
  ASSERT_TRUE(all->fetch(2001));
  EXPECT_EQ(all->value(1), Value("v2002"));
  auto check = odbc::OdbcResult::Open(session, "SELECT v FROM t WHERE id = 2001");
  ASSERT_TRUE(check->fetch(0));
  EXPECT_EQ(check->value(0), Value("nuovo"));
}

}  // namespace
}  // namespace db
