// The PostgreSQL provider against the test server (CARTAVO_TEST_PG): what the
// behavioural tests shared with the other providers do not reach.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "db/providers/BuiltInProviders.h"
#include "db/Ado.h"
#include "db/DbError.h"
#include "db/Provider.h"

namespace db {
namespace {

const std::atomic<bool> kNever{false};

using Clock = std::chrono::steady_clock;

class PostgresProvider : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* text = std::getenv("CARTAVO_TEST_PG");
    if (!text) GTEST_SKIP() << "CARTAVO_TEST_PG non impostata: nessun server PostgreSQL di prova";
    text_ = text;
    // A schema of its own per test: the tests run in parallel on one database.
    schema_ = "t_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
    for (auto& c : schema_) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    db_ = Open();
    db_->execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE; CREATE SCHEMA " + schema_);
  }
  void TearDown() override {
    if (db_ && db_->isOpen()) db_->execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
  }

  std::unique_ptr<Provider> Open(const std::string& extra = "") {
    auto text = ConnectionString::Parse(text_ + extra);
    return BuiltInProvider("PostgreSQL")(text, kNever);
  }
  std::string T(const std::string& name) const { return schema_ + "." + name; }

  static DbError Failure(const std::function<void()>& f) {
    try {
      f();
    } catch (const DbError& e) {
      return e;
    }
    ADD_FAILURE() << "no error";
    return DbError(0, "");
  }

  static std::int64_t Backend(Provider& p) {
    auto r = p.query("SELECT pg_backend_pid()");
    EXPECT_TRUE(r->fetch(0));
    return r->value(0).Get<std::int64_t>();
  }

  std::string text_, schema_;
  std::unique_ptr<Provider> db_;
};

TEST_F(PostgresProvider, ReportsTypeCodesSizesAndValuesFromTheColumnTypes) {
  db_->execute("CREATE TABLE " + T("k") + R"((i4 int PRIMARY KEY, i2 smallint, i8 bigint, b boolean,
      ts timestamp, tz timestamptz, d date, t time, vc varchar(12), c char(3), tx text, f4 real,
      f8 double precision, n numeric(40,10), m money, by bytea, u uuid, j json, iv interval))");
  db_->execute("INSERT INTO " + T("k") + R"( VALUES (1, 2, 3, true, '2024-05-31 13:45:00', '2024-05-31 13:45:00',
      '2024-05-31', '13:45:00', 'abc', 'x', 'long', 1.5, 0.1, 123456789012345678901234567890.0123456789, 12.5,
      '\x00ff', 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11', '{"a": 1}', '1 day'))");
  auto r = db_->query("SELECT * FROM " + T("k"));
  struct Expected { int type; std::int32_t size; };
  const Expected expected[] = {{adInteger, 4}, {adSmallInt, 2}, {adBigInt, 8}, {adBoolean, 2},
      {adDBTimeStamp, 16}, {adDBTimeStamp, 16}, {adDBDate, 6}, {adDBTime, 6}, {adVarChar, 12}, {adChar, 3},
      {adLongVarChar, 2147483647}, {adSingle, 4}, {adDouble, 8}, {adNumeric, 40}, {adCurrency, 8},
      {adLongVarBinary, 2147483647}, {adGUID, 16}, {adLongVarChar, 2147483647}, {adLongVarChar, 2147483647}};
  ASSERT_EQ(r->columns().size(), std::size(expected));
  for (std::size_t c = 0; c < std::size(expected); ++c) {
    EXPECT_EQ(r->columns()[c].type, expected[c].type) << r->columns()[c].name;
    EXPECT_EQ(r->columns()[c].definedSize, expected[c].size) << r->columns()[c].name;
  }
  EXPECT_TRUE(r->columns()[0].isKey);
  ASSERT_TRUE(r->fetch(0));
  EXPECT_EQ(r->value(3), Value(true));
  EXPECT_EQ(r->value(4).ToText(), "2024-05-31 13:45:00");
  EXPECT_EQ(r->value(12), Value(0.1));
  EXPECT_EQ(r->value(13), Value("123456789012345678901234567890.0123456789"));
  EXPECT_EQ(r->value(15), Value(Bytes{0, 255}));
  // A json column has no equality: the write-back compares its text.
  r->update(0, {{8, Value("def")}});
  EXPECT_EQ(r->value(8), Value("def"));
}

TEST_F(PostgresProvider, ErrorsCarryTheSqlstateAndNeverThePassword) {
  DbError e = Failure([&] { db_->query("SELECT * FROM " + T("missing")); });
  EXPECT_EQ(e.Number(), adErrProviderFailed);
  EXPECT_EQ(e.Description().rfind("[42P01] ERROR: relation \"" + T("missing") + "\" does not exist", 0), 0u)
      << e.Description();


  // libpq quotes a bad value back; here the password itself is the bad port.
  e = Failure([&] { BuiltInProvider("PostgreSQL")(ConnectionString::Parse("Server=127.0.0.1;Port=Segreto99;PWD=Segreto99"), kNever); });
  EXPECT_EQ(e.Description().find("Segreto99"), std::string::npos) << e.Description();
  EXPECT_EQ(e.Description().rfind("[08001] ", 0), 0u) << e.Description();
}

TEST_F(PostgresProvider, ListsEveryKindOfTableInAStableOrder) {
  db_->execute("CREATE TABLE " + T("a") + "(x int); CREATE VIEW " + T("v") + " AS SELECT 1 AS x; "
               "CREATE MATERIALIZED VIEW " + T("m") + " AS SELECT 1 AS x; CREATE TEMP TABLE tmp(x int)");
  auto list = [&] {
    std::vector<std::string> rows;
    auto r = db_->tables();
    EXPECT_EQ(r->columns()[3].name, "TABLE_TYPE");
    for (std::int64_t i = 0; r->fetch(i); ++i)
      rows.push_back(r->value(1).ToText() + "." + r->value(2).ToText() + ":" + r->value(3).ToText());
    return rows;
  };
  // Tests running beside this one create and drop their own schemas meanwhile.
  auto ours = [&](std::vector<std::string> rows) {
    std::erase_if(rows, [&](const std::string& r) {
      return !r.starts_with(T("")) && !r.starts_with("pg_catalog.") && !r.starts_with("information_schema.");
    });
    return rows;
  };
  auto rows = list();
  EXPECT_EQ(ours(rows), ours(list()));
  auto has = [&](const std::string& row) { return std::find(rows.begin(), rows.end(), row) != rows.end(); };
  EXPECT_TRUE(has(T("a") + ":TABLE"));
  EXPECT_TRUE(has(T("v") + ":VIEW"));
  EXPECT_TRUE(has(T("m") + ":MATERIALIZED VIEW"));
  EXPECT_TRUE(has("pg_catalog.pg_class:SYSTEM TABLE"));
  EXPECT_TRUE(has("information_schema.tables:SYSTEM VIEW"));
  EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](auto& r) { return r.ends_with(".tmp:LOCAL TEMPORARY"); }));
}

TEST_F(PostgresProvider, PagesByKeyInBothDirectionsWithoutLeavingATransactionOpen) {
  db_->execute("CREATE TABLE " + T("p") + "(a int, b text, v int, PRIMARY KEY (a, b)); INSERT INTO " + T("p") +
               " SELECT g / 10, 'k' || (g % 10), g FROM generate_series(0, 4999) g");
  auto r = db_->query("SELECT * FROM " + T("p"));
  ASSERT_EQ(r->size(), 5000);
  // Backwards from the end, then jumps: every row where its key order puts it.
  auto expected = [](std::int64_t row) { return static_cast<std::int64_t>(row); };
  for (std::int64_t row = 4999; row >= 4000; --row) {
    ASSERT_TRUE(r->fetch(row));
    ASSERT_EQ(r->value(2), Value(expected(row))) << row;
  }
  for (std::int64_t row : {0, 2500, 17, 4999, 2499}) {
    ASSERT_TRUE(r->fetch(row));
    EXPECT_EQ(r->value(2), Value(expected(row))) << row;
  }
  EXPECT_FALSE(r->fetch(5000));
  EXPECT_LT(r->rowsRead(), 2500);

  auto other = Open();
  auto state = other->query("SELECT state FROM pg_stat_activity WHERE pid = " + std::to_string(Backend(*db_)));
  ASSERT_TRUE(state->fetch(0));
  EXPECT_EQ(state->value(0), Value("idle"));
}

TEST_F(PostgresProvider, RefusesToWriteBackWhereNoKeyNamesTheRow) {
  db_->execute("CREATE TABLE " + T("nokey") + "(x int); INSERT INTO " + T("nokey") + " VALUES (1);"
               "CREATE TABLE " + T("k") + "(id int PRIMARY KEY, x int); INSERT INTO " + T("k") + " VALUES (1, 1);"
               "CREATE VIEW " + T("v") + " AS SELECT * FROM " + T("k"));
  struct Case { std::string sql; std::string says; };
  for (const Case& c : {Case{"SELECT * FROM " + T("nokey"), "chiave primaria"}, Case{"SELECT * FROM " + T("v"), "vista"},
                        Case{"SELECT x FROM " + T("k"), "manca la colonna \"id\""},
                        Case{"SELECT id, x + 1 AS y FROM " + T("k"), "calcolata"}}) {
    auto r = db_->query(c.sql);
    ASSERT_TRUE(r->fetch(0));
    DbError e = Failure([&] { r->update(0, {{static_cast<int>(r->columns().size()) - 1, Value(5)}}); });
    EXPECT_EQ(e.Number(), adErrFeatureNotAvailable);
    EXPECT_NE(e.Description().find(c.says), std::string::npos) << c.sql << ": " << e.Description();
  }
  // A join writes back to the table the changed column comes from.
  auto r = db_->query("SELECT k.id, k.x, n.x AS nx FROM " + T("k") + " k, " + T("nokey") + " n");
  ASSERT_TRUE(r->fetch(0));
  r->update(0, {{1, Value(7)}});
  auto check = db_->query("SELECT x FROM " + T("k"));
  ASSERT_TRUE(check->fetch(0));
  EXPECT_EQ(check->value(0), Value(7));
}

TEST_F(PostgresProvider, StopsARunawayCommandAtTheTimeoutAndOnInterrupt) {
  auto db = Open(";Command Timeout=1");
  auto start = Clock::now();
  DbError e = Failure([&] { db->execute("SELECT pg_sleep(20)"); });
  EXPECT_EQ(e.Number(), adErrTimeout) << e.Description();
  EXPECT_NE(e.Description().find("[57014]"), std::string::npos) << e.Description();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  db->execute("SELECT 1");  // the session goes on

  // Asked again until the call ends: a request that comes before the command starts is lost.
  std::atomic<bool> ended{false};
  std::thread stopper([&] {
    while (!ended) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      db_->interrupt();
    }
  });
  e = Failure([&] { db_->query("SELECT * FROM (SELECT pg_sleep(20)) s")->fetch(0); });
  ended = true;
  stopper.join();
  EXPECT_EQ(e.Number(), adErrOperationCanceled) << e.Description();
  db_->execute("SELECT 1");
}

TEST_F(PostgresProvider, ALostServerGivesAnErrorAndReconnectingWorks) {
  auto victim = Open();
  auto result = victim->query("SELECT generate_series(1, 10000) AS n");
  ASSERT_TRUE(result->fetch(0));
  db_->execute("SELECT pg_terminate_backend(" + std::to_string(Backend(*victim)) + ")");
  auto start = Clock::now();
  for (int i = 0; i < 2; ++i) {
    DbError e = Failure([&] { victim->execute("SELECT 1"); });
    EXPECT_EQ(e.Number(), adErrProviderFailed);
    const std::string& d = e.Description();
    EXPECT_TRUE(d.find("[57P01]") != std::string::npos || d.find("[08006]") != std::string::npos) << d;
  }
  EXPECT_THROW(result->fetch(5000), DbError);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  victim->close();
  EXPECT_THROW(result->fetch(0), DbError);
  victim = Open();
  victim->execute("SELECT 1");
}

}  // namespace
}  // namespace db
