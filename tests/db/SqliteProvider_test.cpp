// What only SQLite shows: its files, its declared types and its catalogue, on real
// files in a temporary folder.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "db/providers/BuiltInProviders.h"
#include "db/Ado.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/sqlite/SqliteTypes.h"
#include "tests/Scratch.h"
#include "tests/db/Failure.h"
#include "tests/db/OwnConnection.h"

namespace db {
namespace {

namespace fs = std::filesystem;

class SqliteProvider : public testing::Test {
 protected:
  std::string Text(const std::string& file, const std::string& more = ";Create=Yes") const {
    return "Provider=SQLite;Data Source=" + dir_.File(file) + more;
  }
  Connection& Open(const std::string& file = "t.db") {
    conn_.ConnectionString(Text(file));
    conn_.Open();
    return conn_;
  }

  scratch::Dir dir_;
  Connection conn_{BuiltInProvider};
};

TEST_F(SqliteProvider, OpensOnlyWhatTheTextAsksFor) {
  conn_.ConnectionString(Text("typo.db", ""));
  DbError said = Failure([&] { conn_.Open(); });
  EXPECT_EQ(said.Number(), SQLITE_CANTOPEN);
  EXPECT_NE(said.Description().find("typo.db"), std::string::npos) << said.Description();
  EXPECT_FALSE(fs::exists(dir_.File("typo.db"))) << "a mistyped path left a new database behind";

  conn_.ConnectionString(Text("new.db", "; create = YES"));
  conn_.Open();
  EXPECT_TRUE(fs::exists(dir_.File("new.db")));
  conn_.Close();

  std::ofstream(dir_.File("text.db")) << "this is no database, just some text of some length to be a header";
  conn_.ConnectionString(Text("text.db", ""));
  EXPECT_EQ(Failure([&] { conn_.Open(); }).Number() & 0xff, SQLITE_NOTADB);

  const std::pair<std::string, long> refused[] = {
      {Text("x.db", ";Create=maybe"), adErrInvalidArgument},
      {"Data Source=x.db", adErrProviderNotFound},
      {"Provider=Nope;Data Source=x.db", adErrProviderNotFound},
      {"Provider=SQLite", adErrInvalidArgument},  // last: its error names the missing key
  };
  for (const auto& [text, number] : refused) {
    conn_.ConnectionString(text);
    said = Failure([&] { conn_.Open(); });
    EXPECT_EQ(said.Number(), number) << text;
    EXPECT_EQ(conn_.State(), adStateClosed);
  }
  EXPECT_NE(said.Description().find("Data Source"), std::string::npos) << said.Description();
}

TEST(SqliteTypes, DeclaredTypesGiveAdoCodesAndSizes) {
  struct Case { const char* declared; int type; std::int32_t size; };
  // Besides the types of ProviderBehaviour's SQLite table.
  const Case cases[] = {
      {"INT", adInteger, 4}, {"integer", adInteger, 4}, {"UNSIGNED  BIG INT", adBigInt, 8}, {"BIT", adBoolean, 2},
      {"TIMESTAMP", adDBTimeStamp, 16}, {"DATE", adDBDate, 6}, {"TIME", adDBTime, 6},
      {"character varying (7)", adVarChar, 7}, {"VARCHAR", adVarChar, 255}, {"CHAR(3)", adChar, 3},
      {"NCHAR(4)", adWChar, 4}, {"CLOB", adLongVarChar, 2147483647}, {"FLOAT", adDouble, 8},
      {"DOUBLE PRECISION", adDouble, 8}, {"DECIMAL", adNumeric, 19}, {"", adVariant, 16}, {"INT UNSIGNED", adInteger, 4},
      {"STRING(12)", adNumeric, 19}, {"VARYING TEXT(5)", adVarChar, 5}, {"VARCHAR(99999999999)", adVarChar, 255},
  };

  for (const Case& c : cases) {
    const auto t = sqlite::TypeFromDeclared(c.declared);
    EXPECT_EQ(t.type, c.type) << c.declared;
    EXPECT_EQ(t.size, c.size) << c.declared;
  }
}

TEST(SqliteTypes, OnlyWholeIsoDatesBecomeDateTime) {
  const char* dates[] = {"2024-02-29", "2024-05-31 13:45:07", "2024-05-31T13:45", "13:45:07.25", "1999-12-31 23:59:59.123456"};
  for (const char* d : dates) EXPECT_TRUE(sqlite::ParseDateTime(d).has_value()) << d;
  const char* texts[] = {"2023-02-29", "2024-05-31 24:00:00", "2024-05-31 13:45:07Z", "2024-05-31 13:45:07.1234567",
                         "2024-5-31", "31/05/2024", "13:45:", "", "2024-05-31 "};
  for (const char* t : texts) EXPECT_FALSE(sqlite::ParseDateTime(t).has_value()) << t;
  EXPECT_EQ(Value(*sqlite::ParseDateTime("2024-05-31T13:45:07.250")).ToText(), "2024-05-31 13:45:07.25");
}

// A value that does not fit its declared type is kept as stored. Text() skips making
// the value: it must give what GetValue().ToText() gives, also for dates stored in
// other shapes and for an edit not yet written.
TEST_F(SqliteProvider, ValuesFollowTheDeclaredTypeAndLoseNothing) {
  Open().Execute(
      "CREATE TABLE v (id INTEGER PRIMARY KEY, at DATETIME, d DATE, t TIME, ok BOOLEAN, price REAL, b BLOB, n TEXT);"
      "INSERT INTO v VALUES (1, '2024-05-31 13:45:00', '2024-05-31', '13:45:00', 1, 1.5, x'00ff', 'testo'),"
      " (2, '2024-05-31T13:45:00', '2024-05-31 08:00:00', '13:45', 0, 1e20, x'', ''),"
      " (3, '2024-05-31 13:45:00.500', '2024-02-30', '24:00:00', 2, -0.25, NULL, NULL),"
      " (4, 'domani', 20240531, '2024-05-31', 'sì', 3, 'x', 7);");
  Recordset rs;
  rs.Open("SELECT * FROM v", conn_, adOpenKeyset, adLockOptimistic);
  const auto f = rs.Fields();
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
    for (long c = 0; c < f.Count(); ++c)
      EXPECT_EQ(f.Item(c).Text(), f.Item(c).GetValue().ToText()) << f.Item(c).Name() << " row " << rs.AbsolutePosition();
  rs.AbsolutePosition(2);
  EXPECT_EQ(f.Item("b").GetValue(), Value(Bytes{}));
  rs.AbsolutePosition(3);
  EXPECT_EQ(f.Item("ok").GetValue(), Value(std::int64_t{2}));
  rs.AbsolutePosition(4);
  EXPECT_EQ(f.Item("at").GetValue(), Value("domani"));
  f.Item("at").SetValue(Value("nuovo"));
  EXPECT_EQ(f.Item("at").Text(), "nuovo");
  f.Item("ok").SetValue(Value("False"));  // what a boolean shows as text is stored as 0
  f.Item("d").SetValue(Value(DateTime{DateTime::Part::Date, 2025, 1, 2}));
  rs.Update();
  Recordset check;
  check.Open("SELECT typeof(ok) || ok || ' ' || d FROM v WHERE id = 4", conn_);
  EXPECT_EQ(check.Fields().Item(0L).GetValue().ToText(), "integer0 2025-01-02");
}

TEST_F(SqliteProvider, SchemaListsEveryDatabaseInAStableOrder) {
  Open();
  auto rows = [&] {
    auto rs = conn_.OpenSchema(adSchemaTables);
    std::vector<std::string> out;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
      out.push_back(rs->Fields().Item("TABLE_SCHEMA").GetValue().ToText() + "." +
                    rs->Fields().Item("TABLE_NAME").GetValue().ToText() + " " +
                    rs->Fields().Item("TABLE_TYPE").GetValue().ToText());
    return out;
  };

  conn_.Execute("CREATE TABLE b (id INTEGER PRIMARY KEY AUTOINCREMENT); CREATE TABLE \"A x\" (id); CREATE TABLE C (id);"
                "CREATE VIEW v AS SELECT 1; CREATE TEMP TABLE tt (id);"
                "ATTACH '" + dir_.File("aux.db") + "' AS aux; CREATE TABLE aux.x (id INTEGER PRIMARY KEY, n);"
                "INSERT INTO aux.x VALUES (1, 'one');");
  EXPECT_EQ(rows(), (std::vector<std::string>{
                        "main.A x TABLE", "main.b TABLE", "main.C TABLE", "main.v VIEW", "main.sqlite_schema SYSTEM TABLE",
                        "main.sqlite_sequence SYSTEM TABLE", "temp.tt TABLE", "temp.sqlite_temp_schema SYSTEM TABLE",
                        "aux.x TABLE", "aux.sqlite_schema SYSTEM TABLE"}));

  Recordset rs;  // what the window opens for a table of an attached database
  rs.Open("SELECT * FROM \"aux\".\"x\"", conn_, adOpenKeyset, adLockOptimistic);
  rs.Fields().Item("n").SetValue(Value("uno"));
  rs.Update();
  EXPECT_EQ(Scalar(conn_, "SELECT group_concat(n) FROM aux.x"), "uno");

  // Read by one run and handed out in pages: nothing lost or doubled between pages.
  std::string tables;
  for (int t = 1000; t < 1300; ++t) tables += "CREATE TEMP TABLE t" + std::to_string(t) + " (id);";
  conn_.Execute(tables);
  const auto all = rows();
  ASSERT_EQ(all.size(), 310u);
  for (int t = 0; t < 300; ++t) ASSERT_EQ(all[static_cast<std::size_t>(t) + 6], "temp.t" + std::to_string(1000 + t) + " TABLE");

  // A virtual table's shadow tables are the engine's own.
  conn_.Execute("CREATE VIRTUAL TABLE aux.f USING fts5(t)");
  const auto shadows = rows();
  EXPECT_EQ(std::count(shadows.begin(), shadows.end(), "aux.f TABLE"), 1);
  EXPECT_EQ(std::count(shadows.begin(), shadows.end(), "aux.f_data SYSTEM TABLE"), 1);
}

TEST_F(SqliteProvider, OpenRunsOneQueryAndNeverACommand) {
  Open().Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, n); INSERT INTO t VALUES (1, 'a'), (2, 'b');");
  const char* refused[] = {"DELETE FROM t", "SELECT 1; DELETE FROM t", "INSERT INTO t (n) VALUES ('c') RETURNING id"};
  for (const char* sql : refused) {
    Recordset rs;
    Failure([&] { rs.Open(sql, conn_); });
    EXPECT_EQ(rs.State(), adStateClosed);
  }
  Recordset rs;
  rs.Open("SELECT count(*) AS n FROM t", conn_);
  EXPECT_EQ(rs.Fields().Item("n").GetValue().ToText(), "2") << "a refused text was run";
  rs.Close();

  const std::pair<const char*, std::size_t> queries[] = {
      {"PRAGMA table_info(t)", 2}, {"SELECT n FROM t -- the names", 2}, {"SELECT n FROM t /* open", 2},
      {"WITH x AS (SELECT n FROM t) SELECT * FROM x;;", 2}, {"SELECT * FROM t WHERE n <> ';' -- c", 2},
      {"SELECT * FROM t WHERE 0", 0}};
  for (const auto& [sql, rows] : queries) {
    rs.Open(sql, conn_);
    std::size_t seen = 0;
    for (; !rs.Eof(); rs.MoveNext()) ++seen;
    EXPECT_EQ(seen, rows) << sql;
    rs.Close();
  }
}

}  // namespace
}  // namespace db
