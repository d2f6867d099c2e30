// The ODBC provider through the SQLite and PostgreSQL drivers: what the behavioural
// tests shared with the other providers do not reach.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "db/providers/BuiltInProviders.h"
#include "db/Ado.h"
#include "db/DbError.h"
#include "db/Provider.h"
#include "db/SqlText.h"

namespace db {
namespace {

std::unique_ptr<Provider> Open(const std::string& text) {
  static const std::atomic<bool> never{false};
  return BuiltInProvider("ODBC")(ConnectionString::Parse(text), never);
}

std::unique_ptr<Provider> FreshSqlite() {
  const auto file = std::filesystem::path(testing::TempDir()) /
                    ("cartavo_odbc_" + std::to_string(::getpid()) + "_" +
                     testing::UnitTest::GetInstance()->current_test_info()->name() + ".db");
  std::filesystem::remove(file);
  return Open("Provider=ODBC;DRIVER={SQLite3};Database=" + file.string());
}

DbError Failure(const std::function<void()>& f) {
  try {
    f();
  } catch (const DbError& e) {
    return e;
  }
  ADD_FAILURE() << "no error";
  return DbError(0, "");
}

Value At(Provider& p, const std::string& sql, int column = 0) {
  auto r = p.query(sql);
  EXPECT_TRUE(r->fetch(0)) << sql;
  return r->value(column);
}

TEST(OdbcProvider, SplitsScriptsForDriversThatRunOneStatementACall) {
  auto parts = sql::SplitStatements(
      "CREATE TABLE a(x);; -- c;\nINSERT INTO a VALUES (';');\nCREATE TEMP TRIGGER t AFTER INSERT ON a BEGIN "
      "DELETE FROM a WHERE x = 1; SELECT 2; END; SELECT 'a;b' /* ; */");
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_TRUE(parts[1].ends_with("\nINSERT INTO a VALUES (';')")) << parts[1];
  EXPECT_EQ(parts[2].substr(parts[2].size() - 4), " END");

  auto db = FreshSqlite();
  db->execute("CREATE TABLE t(id INTEGER PRIMARY KEY, n INT); CREATE TABLE log(id INT);\n"
              "CREATE TRIGGER tr AFTER INSERT ON t BEGIN INSERT INTO log VALUES (new.id); INSERT INTO log VALUES (0); END;\n"
              "INSERT INTO t VALUES (1, 1); INSERT INTO t VALUES (2, 2)");
  EXPECT_EQ(At(*db, "SELECT count(*) FROM log"), Value(4));
  DbError e = Failure([&] { db->execute("INSERT INTO t VALUES (3, 3); SELECT * FROM nowhere; INSERT INTO t VALUES (4, 4)"); });
  EXPECT_EQ(e.Number(), 1) << "the driver's native error";
  EXPECT_NE(e.Description().find("[HY000]"), std::string::npos) << e.Description();
  EXPECT_NE(e.Description().find("no such table: nowhere"), std::string::npos) << e.Description();
  EXPECT_EQ(At(*db, "SELECT count(*) FROM t"), Value(3)) << "statements before the failing one stay done";
}

TEST(OdbcProvider, WritesBackRowsWhoseFloatingPointValuesTheDriverRounds) {
  auto db = FreshSqlite();
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

TEST(OdbcProvider, ConnectionFailuresComeFromTheDriverManagerWithoutThePassword) {
  DbError e = Failure([] { Open("Provider=ODBC;DSN=cartavo_no_such_dsn;PWD=x"); });
  EXPECT_EQ(e.Number(), adErrProviderFailed);
  EXPECT_NE(e.Description().find("[IM002] [unixODBC][Driver Manager]"), std::string::npos) << e.Description();

  const char* port = std::getenv("CARTAVO_TEST_PG_PORT");
  if (!port) return;
  e = Failure([&] {
    Open(std::string("Provider=ODBC;DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=") + port +
         ";Database=cartavo_no_such_db;Uid=Segreto99;Pwd=Segreto99");
  });
  EXPECT_EQ(e.Description().find("Segreto99"), std::string::npos) << e.Description();
}

class OdbcPostgres : public testing::Test {
 protected:
  void SetUp() override {
    const char* port = std::getenv("CARTAVO_TEST_PG_PORT");
    if (!port) GTEST_SKIP() << "CARTAVO_TEST_PG_PORT non impostata: nessun server PostgreSQL di prova";
    text_ = std::string("Provider=ODBC;DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=") + port +
            ";Database=cartavo_test;Uid=postgres;Pwd=;";
    db_ = Open(text_);
  }
  std::string text_;
  std::unique_ptr<Provider> db_;
};

TEST_F(OdbcPostgres, PagesWithoutLeavingATransactionOpenAndCancelsOnInterrupt) {
  db_->execute("DROP TABLE IF EXISTS odbc_pages; CREATE TABLE odbc_pages(id int PRIMARY KEY, v text);"
               "INSERT INTO odbc_pages SELECT g, 'v' || g FROM generate_series(1, 50000) g");
  auto r = db_->query("SELECT * FROM odbc_pages");
  ASSERT_TRUE(r->fetch(49999));
  EXPECT_EQ(r->value(0), Value(50000));
  ASSERT_TRUE(r->fetch(20000));
  EXPECT_EQ(r->value(1), Value("v20001"));
  EXPECT_LT(r->rowsRead(), 2000);

  auto other = Open(text_);
  const std::string pid = At(*db_, "SELECT pg_backend_pid()").ToText();
  EXPECT_EQ(At(*other, "SELECT state FROM pg_stat_activity WHERE pid = " + pid), Value("idle"));

  // Asked again until the call ends: a request that comes before the command starts is lost.
  std::atomic<bool> ended{false};
  std::thread stopper([&] {
    while (!ended) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      db_->interrupt();
    }
  });
  const auto start = std::chrono::steady_clock::now();
  DbError e = Failure([&] { db_->execute("SELECT pg_sleep(20)"); });
  ended = true;
  stopper.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(e.Number(), adErrOperationCanceled) << e.Description();
  db_->execute("DROP TABLE odbc_pages");

  // A session the server ends: the next call fails, nothing hangs, a new one works.
  other->execute("SELECT pg_terminate_backend(" + pid + ")");
  EXPECT_THROW(db_->execute("SELECT 1"), DbError);
  EXPECT_THROW(r->fetch(0), DbError);
  db_->close();
  db_ = Open(text_);
  EXPECT_EQ(At(*db_, "SELECT 1"), Value(1));
}

}  // namespace
}  // namespace db
