// The PostgreSQL provider against the test server (CARTAVO_TEST_PG): what the
// behavioural tests shared with the other providers do not reach.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>

#include "tests/db/Failure.h"
#include "db/providers/BuiltInProviders.h"
#include "db/Ado.h"
#include "db/DbError.h"
#include "db/Provider.h"

namespace db {
namespace {

const std::atomic<bool> kNever{false};

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

  std::string text_, schema_;
  std::unique_ptr<Provider> db_;
};

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
  EXPECT_TRUE(has(T("m") + ":MATERIALIZED VIEW"));
  EXPECT_TRUE(has("pg_catalog.pg_class:SYSTEM TABLE"));
  EXPECT_TRUE(has("information_schema.tables:SYSTEM VIEW"));
  EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](auto& r) { return r.ends_with(".tmp:LOCAL TEMPORARY"); }));
}

TEST_F(PostgresProvider, StopsARunawayCommandAtTheTimeout) {
  auto db = Open(";Command Timeout=1");
  DbError e = Failure([&] { db->execute("SELECT pg_sleep(20)"); });
  EXPECT_EQ(e.Number(), adErrTimeout) << e.Description();
  EXPECT_EQ(e.Kind(), ErrorKind::Timeout);
  EXPECT_NE(e.Description().find("[57014]"), std::string::npos) << e.Description();
  db->execute("SELECT 1");  // the session goes on
}

}  // namespace
}  // namespace db
