// What every provider must do the same way, written once and run per provider:
// each INSTANTIATE_TEST_SUITE_P at the end names a provider, how to reach a
// database for one test, and the few pieces of SQL that differ between engines.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "db/providers/BuiltInProviders.h"
#include "db/Ado.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/RowPager.h"
#include "tests/Scratch.h"
#include "tests/db/OwnConnection.h"
#include "tests/db/Failure.h"

namespace db {
namespace {

// psqlODBC would otherwise leave a log in /tmp for every test process.
[[maybe_unused]] testing::Environment* const kQuietOdbc = testing::AddGlobalTestEnvironment(new scratch::QuietOdbc);

struct TestSql {
  // A declared type, what Field reports for it, a literal and its text ("*": any
  // text, the driver rounds).
  struct TypeCase {
    std::string declared;
    int type;
    std::int32_t size;
    std::string literal = "NULL", text = {};
  };
  std::vector<TypeCase> types;
  std::string withoutRowid = {};          // ends a table that pages by its declared key
  std::string schemaOfNewTables = {};     // TABLE_SCHEMA of a table created without schema
  // Kinds of the engine's own: a statement that makes the table (or none: the
  // engine's), its name and its TABLE_TYPE.
  struct Kind {
    std::string make, name, type;
  };
  std::vector<Kind> kinds = {};
  // Fills table(id, name) with ids 1..n and some text, quickly.
  std::function<std::string(const std::string& table, std::int64_t n)> fillRows;
  std::string missingTableSays;  // the start of the engine's error for a missing table
  long missingTableNumber = 0;   // and its number
  std::string endless;           // runs until interrupted
  // A server behind: the query of the session's id, the statement that ends the
  // session of an id, and the query of the id's state that says "idle" in no transaction.
  std::string sessionId = {}, endSession = {}, idleState = {}, idle = {};
  bool rowIds = false;  // a table without a key is written by the engine's row ids
  std::string (*concat)(const std::string&, const std::string&) = [](const std::string& a, const std::string& b) {
    return a + " || " + b;
  };
  bool joinsWriteBack = true;
};

struct ProviderTarget {
  std::string name;
  // The connection text of a database for the named test, its files in dir; empty:
  // skip (no engine).
  std::function<std::string(const scratch::Dir& dir, const std::string& test)> connect;
  TestSql sql;
};

std::string PrintTarget(const testing::TestParamInfo<ProviderTarget>& info) { return info.param.name; }
void PrintTo(const ProviderTarget& t, std::ostream* os) { *os << t.name; }

// Expects a DbError with the given number, and a description, from the statement.
#define EXPECT_DB_ERROR(statement, number)                                    \
  do {                                                                        \
    const DbError raised = Failure([&] { statement; });                       \
    EXPECT_EQ(raised.Number(), number) << #statement ": " << raised.Description(); \
    EXPECT_FALSE(raised.Description().empty()) << #statement;                 \
  } while (0)

class ProviderBehaviour : public testing::TestWithParam<ProviderTarget> {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    test_ = info->name();
    test_ = test_.substr(0, test_.find('/'));
    for (char& c : test_) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));  // as servers fold unquoted names
    text_ = GetParam().connect(dir_, test_);
    if (text_.empty()) GTEST_SKIP() << GetParam().name << ": no database to test against";
    conn_.ConnectionString(text_);
    conn_.Open();
  }

  const TestSql& Sql() const { return GetParam().sql; }
  // A name of this test only (providers that share one database between tests).
  std::string Name(const std::string& base) const { return "cv_" + base + "_" + test_; }
  std::string Q(const std::string& name) const { return conn_.QuoteIdentifier(name); }

  // A table or view of this test, made anew.
  std::string Make(const std::string& kind, const std::string& base, const std::string& definition) {
    const std::string t = Name(base);
    conn_.Execute("DROP " + kind + " IF EXISTS " + Q(t) + "; CREATE " + kind + " " + Q(t) + " " + definition);
    return t;
  }
  // A table (id key, name text) with ids 1..n, made anew.
  std::string Table(const std::string& base, std::int64_t n) {
    const std::string t = Make("TABLE", base, "(id INTEGER PRIMARY KEY, name VARCHAR(40))");
    if (n > 0) conn_.Execute(Sql().fillRows(Q(t), n));
    return t;
  }

  std::unique_ptr<Recordset> OpenTable(const std::string& table, Connection& conn) {
    auto rs = std::make_unique<Recordset>();
    rs->Open("SELECT * FROM " + conn.QuoteIdentifier(table), conn, adOpenKeyset, adLockOptimistic, adCmdText);
    return rs;
  }

  std::string NameOfId(Connection& conn, const std::string& table, int id) {
    return Scalar(conn, "SELECT name FROM " + conn.QuoteIdentifier(table) + " WHERE id = " + std::to_string(id));
  }

  scratch::Dir dir_;
  std::string test_, text_;
  Connection conn_{BuiltInProvider};
};

TEST_P(ProviderBehaviour, SchemaListsTablesViewsAndOddNames) {
  const std::string odd = Make("TABLE", "a b 'q\" è", "(x INTEGER)");
  const std::string view = Make("VIEW", "v", "AS SELECT id FROM " + Q(Table("t", 0)));
  for (const auto& kind : Sql().kinds)
    if (!kind.make.empty()) conn_.Execute(kind.make);

  auto rs = conn_.OpenSchema(adSchemaTables);
  std::map<std::string, std::string> seen;
  std::set<std::string> catalogs;  // of the user's tables: the connected database's only
  std::string system;              // one of the engine's own, qualified as the catalogue says
  for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
    auto text = [&](const char* column) { return rs->Fields().Item(column).GetValue().ToText(); };
    const std::string name = text("TABLE_NAME"), schema = text("TABLE_SCHEMA");
    seen[name] = text("TABLE_TYPE");
    if (seen[name].starts_with("SYSTEM ")) {
      if (system.empty()) system = (schema.empty() ? "" : Q(schema) + ".") + Q(name);
      continue;
    }
    catalogs.insert(text("TABLE_CATALOG"));
    EXPECT_TRUE(name != odd || schema == Sql().schemaOfNewTables) << schema;
  }
  EXPECT_EQ(seen[Name("t")], "TABLE");
  EXPECT_EQ(seen[odd], "TABLE");
  EXPECT_EQ(seen[view], "VIEW");
  EXPECT_EQ(catalogs.size(), 1u);
  for (const auto& kind : Sql().kinds) EXPECT_EQ(seen[kind.name], kind.type) << kind.name;
  if (!system.empty()) Recordset().Open("SELECT * FROM " + system, conn_);
  EXPECT_DB_ERROR(conn_.OpenSchema(4), adErrFeatureNotAvailable);
}

// The optimistic write compares every value read with what is stored: a value that
// decodes wrong, or that the engine cannot compare (json) or the driver rounds
// (floating point), makes the write of another column fail.
TEST_P(ProviderBehaviour, ValuesOfEveryTypeReadAsStoredAndWriteBack) {
  const auto& types = Sql().types;
  std::string columns = "id INTEGER PRIMARY KEY", literals = "1", nulls = "2";
  for (std::size_t i = 0; i < types.size(); ++i) {
    columns += ", c" + std::to_string(i) + " " + types[i].declared;
    literals += ", " + types[i].literal;
    nulls += ", NULL";
  }
  // The key and a NOT NULL column take no NULL; a plain column and an expression do.
  const std::string nt = Make("TABLE", "nulls", "(id INTEGER PRIMARY KEY, a INTEGER NOT NULL, b INTEGER)");
  Recordset probe;
  probe.Open("SELECT id, a, b, a + 1 AS e FROM " + Q(nt), conn_, adOpenKeyset, adLockOptimistic, adCmdText);
  for (long i = 0; i < 4; ++i)
    EXPECT_EQ(probe.Fields().Item(i).Attributes(), i < 2 ? 0 : adFldIsNullable | adFldMayBeNull) << i;
  const std::string t = Make("TABLE", "types", "(" + columns + ", name VARCHAR(9))");
  auto rs = OpenTable(t, conn_);
  EXPECT_TRUE(rs->Eof());
  EXPECT_DB_ERROR(rs->MoveFirst(), adErrNoCurrentRecord);
  rs->Close();
  conn_.Execute("INSERT INTO " + Q(t) + " VALUES (" + literals + ", 'a'); INSERT INTO " + Q(t) + " VALUES (" + nulls +
                ", 'b')");

  rs = OpenTable(t, conn_);
  ASSERT_EQ(rs->Fields().Count(), static_cast<long>(types.size() + 2));
  for (int pass = 0; pass < 2; ++pass) {  // as read, then as read again after the write
    rs->MoveFirst();
    for (std::size_t i = 0; i < types.size(); ++i) {
      const Field f = rs->Fields().Item(static_cast<long>(i + 1));
      SCOPED_TRACE(types[i].declared);
      EXPECT_EQ(f.Name(), "c" + std::to_string(i));
      EXPECT_EQ(f.Type(), types[i].type);
      EXPECT_EQ(f.DefinedSize(), types[i].size);
      const Value v = f.GetValue();
      EXPECT_EQ(f.Text(), v.ToText());
      EXPECT_TRUE(types[i].text == "*" || v.ToText() == types[i].text) << v.ToText();
      const bool date = f.Type() == adDBTimeStamp || f.Type() == adDBDate || f.Type() == adDBTime;
      EXPECT_TRUE(!date || v.IsNull() || v.Is<DateTime>());
    }
    rs->Fields().Item("name").SetValue(Value("x" + std::to_string(pass)));
    EXPECT_NO_THROW(rs->Update());
  }
  EXPECT_EQ(NameOfId(conn_, t, 1), "x1");
  rs->MoveNext();
  for (long i = 1; i <= static_cast<long>(types.size()); ++i) EXPECT_TRUE(rs->Fields().Item(i).GetValue().IsNull()) << i;
  rs->Fields().Item("name").SetValue(Value("y"));
  rs->Update();
  EXPECT_EQ(NameOfId(conn_, t, 2), "y");
  EXPECT_DB_ERROR(rs->Fields().Item("nope"), adErrItemNotFound);
  EXPECT_FALSE(rs->Fields().Find("nope"));
  EXPECT_EQ(rs->Fields().Find("C1")->Name(), "c1");
  EXPECT_DB_ERROR(rs->Fields().Item(static_cast<long>(types.size() + 2)), adErrItemNotFound);
}

// Every way of paging (a one-column key, a key of two columns, offsets) puts each
// row at its place whatever the order of the moves; the ids have holes, so that a
// key is never a position.
TEST_P(ProviderBehaviour, EveryRowIsReachedFromAnywhere) {
  const std::string t = Table("t", 6000);
  conn_.Execute("DELETE FROM " + Q(t) + " WHERE id % 7 = 0");
  const std::string w = Make("TABLE", "w", "(a VARCHAR(9), b INTEGER, name VARCHAR(40), PRIMARY KEY (a, b))" +
                                               Sql().withoutRowid);
  conn_.Execute("INSERT INTO " + Q(w) + " SELECT " + Sql().concat("'k'", "(id % 10)") + ", id, name FROM " + Q(t));
  std::vector<std::string> byId, byKey;
  for (int i = 1; i <= 6000; ++i)
    if (i % 7) byId.push_back("row " + std::to_string(i));
  for (int k = 0; k < 10; ++k)
    for (int i = k ? k : 10; i <= 6000; i += 10)
      if (i % 7) byKey.push_back("row " + std::to_string(i));
  const std::pair<std::string, const std::vector<std::string>*> cases[] = {
      {"SELECT * FROM " + Q(t), &byId}, {"SELECT * FROM " + Q(w), &byKey},
      {"SELECT name FROM " + Q(t) + " WHERE name <> ''", &byId}};
  std::mt19937 random(7);
  for (const auto& [sql, expected] : cases) {
    SCOPED_TRACE(sql);
    const auto n = static_cast<std::int64_t>(expected->size());
    auto at = [rows = expected](std::int64_t p) { return (*rows)[static_cast<std::size_t>(p - 1)]; };
    Recordset rs;
    rs.Open(sql, conn_, adOpenKeyset, adLockOptimistic);
    EXPECT_DB_ERROR(rs.AbsolutePosition(n + 300), adErrNoCurrentRecord);
    rs.MoveLast();  // a row asked for past the end does not make up the count
    EXPECT_EQ(rs.Fields().Item("name").GetValue().ToText(), expected->back());
    EXPECT_EQ(rs.RecordCount(), n);
    for (int step = 0; step < 200; ++step) {
      const std::int64_t p = 1 + static_cast<std::int64_t>(random() % static_cast<unsigned>(n));
      rs.AbsolutePosition(p);
      ASSERT_EQ(rs.Fields().Item("name").GetValue().ToText(), at(p)) << "at " << p;
      if (p < n) {
        rs.MoveNext();
        ASSERT_EQ(rs.Fields().Item("name").GetValue().ToText(), at(p + 1)) << "after " << p;
      }
      rs.MovePrevious();
      ASSERT_EQ(rs.AbsolutePosition(), p < n ? p : p - 1);
    }
    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_TRUE(rs.BOF());
    EXPECT_EQ(rs.AbsolutePosition(), adPosBOF);
  }

  // A key that changes: the row is found by its new key and keeps its place.
  auto rs = OpenTable(w, conn_);
  rs->MoveFirst();
  rs->Fields().Item("b").SetValue(Value(-5));
  rs->Update();
  rs->Fields().Item("name").SetValue(Value("moved"));
  rs->MoveNext();
  EXPECT_EQ(rs->Fields().Item("name").GetValue().ToText(), byKey[1]);
  EXPECT_EQ(Scalar(conn_, "SELECT name FROM " + Q(w) + " WHERE b = -5"), "moved");
}

TEST_P(ProviderBehaviour, ExecuteRunsSeveralStatementsAndReportsFailures) {
  const std::string t = Table("exec", 0);
  conn_.Execute("-- a comment; and more\nINSERT INTO " + Q(t) + " (id, name) VALUES (1, 'a;b');;\n\n" +
                "/* another; */ INSERT INTO " + Q(t) + " (id, name) VALUES (2, 'c');\nUPDATE " + Q(t) +
                " SET name = 'z' WHERE id = 2;");
  EXPECT_EQ(NameOfId(conn_, t, 1), "a;b");
  EXPECT_EQ(NameOfId(conn_, t, 2), "z");

  const DbError failed = Failure([&] {
    conn_.Execute("UPDATE " + Q(t) + " SET name = 'y' WHERE id = 1; SELECT * FROM cv_missing_table");
  });
  EXPECT_EQ(failed.Number(), Sql().missingTableNumber);
  EXPECT_EQ(failed.Description().rfind(Sql().missingTableSays, 0), 0u) << failed.Description();
  EXPECT_NE(failed.Description().find("cv_missing_table"), std::string::npos) << failed.Description();
  EXPECT_EQ(failed.Description().starts_with("[" + failed.SqlState() + "] "), Sql().missingTableSays.starts_with('['));
  // HY000, the general error: the SQLite driver's state for every fault.
  EXPECT_EQ(failed.Kind(), failed.SqlState() == "HY000" ? ErrorKind::Other : ErrorKind::Syntax);
  const DbError twice = Failure([&] { conn_.Execute("INSERT INTO " + Q(t) + " (id, name) VALUES (1, 'x')"); });
  EXPECT_EQ(twice.Kind(), twice.SqlState() == "HY000" ? ErrorKind::Other : ErrorKind::Constraint)
      << twice.Description();
  EXPECT_DB_ERROR(conn_.Execute("  \n -- nothing;\n ;/**/"), adErrNoCommand);
  EXPECT_DB_ERROR(conn_.Execute(""), adErrNoCommand);
}

TEST_P(ProviderBehaviour, MillionRowsOpenWithoutReadingThemAll) {
  constexpr std::int64_t kRows = 1000000;
  const std::string big = Table("big", kRows);
  const std::string small = Table("small", 1000);

  std::int64_t readAtFirstRow[2];
  int i = 0;
  for (const std::string& t : {small, big}) {
    auto rs = OpenTable(t, conn_);
    EXPECT_LE(rs->RowsRead(), RowPager::kBaseRows) << "Open read past the first page";
    rs->MoveFirst();
    EXPECT_EQ(rs->Fields().Item("id").GetValue().ToText(), "1");
    readAtFirstRow[i++] = rs->RowsRead();
  }
  EXPECT_EQ(readAtFirstRow[0], readAtFirstRow[1]) << "the first row costs more on a bigger table";

  auto rs = OpenTable(big, conn_);
  rs->MoveLast();
  EXPECT_EQ(rs->Fields().Item("id").GetValue().ToText(), std::to_string(kRows));
  EXPECT_EQ(rs->RecordCount(), kRows);
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  rs->AbsolutePosition(kRows / 2);
  EXPECT_EQ(rs->Fields().Item("id").GetValue().ToText(), std::to_string(kRows / 2));
  EXPECT_FALSE(rs->TryAbsolutePosition(kRows + 1));
  EXPECT_FALSE(rs->TryAbsolutePosition(kRows * 2));
  EXPECT_EQ(rs->Fields().Item("id").GetValue().ToText(), std::to_string(kRows / 2)) << "a miss moved the row";
  EXPECT_LT(rs->RowsRead(), 2000) << "reaching far rows read the rows in between";

  // Read on for pages of the largest size, a command between two of them.
  for (std::int64_t id = kRows / 2; id < kRows / 2 + 40000; ++id, rs->MoveNext()) {
    ASSERT_EQ(rs->Fields().Item("id").GetValue().ToText(), std::to_string(id));
    if (id == kRows / 2 + 30000) conn_.Execute("UPDATE " + Q(big) + " SET name = 'x' WHERE id = 1");
  }
}

TEST_P(ProviderBehaviour, EditsAreWrittenBackCancelledOrRefused) {
  const std::string t = Table("edit", 300);
  auto rs = OpenTable(t, conn_);
  rs->AbsolutePosition(2);
  rs->Fields().Item("name").SetValue(Value("changed"));
  EXPECT_EQ(rs->Fields().Item("name").GetValue().ToText(), "changed");
  rs->MoveNext();  // moving on writes the pending edit
  EXPECT_EQ(rs->EditMode(), adEditNone);
  EXPECT_EQ(NameOfId(conn_, t, 2), "changed");

  const std::string before = rs->Fields().Item("name").GetValue().ToText();
  rs->Fields().Item("name").SetValue(Value("dropped"));
  rs->CancelUpdate();
  EXPECT_EQ(rs->Fields().Item("name").GetValue().ToText(), before);

  rs->Fields().Item("name").SetValue(Value());
  rs->Update();
  EXPECT_TRUE(rs->Fields().Item("name").GetValue().IsNull());
  rs->Fields().Item("name").SetValue(Value("again"));  // the row read back after the first write
  rs->Update();
  rs->Fields().Item("name").SetValue(Value("again"));  // a write that changes nothing is no conflict
  rs->Update();
  EXPECT_EQ(NameOfId(conn_, t, 3), "again");

  // A row changed meanwhile is refused, the refused edit kept; a row deleted is not found.
  rs->AbsolutePosition(5);
  (void)rs->Fields().Item("name").GetValue();
  auto other = OwnConnection(text_);
  other->Execute("UPDATE " + Q(t) + " SET name = 'theirs' WHERE id = 5");

  rs->Fields().Item("name").SetValue(Value("mine"));
  EXPECT_EQ(Failure([&] { rs->Update(); }).Kind(), ErrorKind::Conflict);
  EXPECT_EQ(NameOfId(*other, t, 5), "theirs");
  EXPECT_EQ(rs->EditMode(), adEditInProgress) << "the refused edit is kept, not dropped";
  EXPECT_DB_ERROR(rs->MoveNext(), adErrRowCannotBeLocated);
  rs->CancelUpdate();
  rs->AbsolutePosition(300);

  other->Execute("DELETE FROM " + Q(t) + " WHERE id = 300");
  rs->Fields().Item("name").SetValue(Value("gone"));
  EXPECT_DB_ERROR(rs->Update(), adErrRowCannotBeLocated);
  rs->CancelUpdate();

  rs->AbsolutePosition(299);
  rs->Fields().Item("name").SetValue(Value("on close"));
  rs->Close();
  EXPECT_EQ(NameOfId(conn_, t, 299), "on close");
}

TEST_P(ProviderBehaviour, ResultsThatCannotBeWrittenBackSayWhy) {
  const std::string t = Table("base", 3);
  const std::string view = Make("VIEW", "view", "AS SELECT id, name FROM " + Q(t));
  const std::string keyless = Make("TABLE", "keyless", "(name VARCHAR(9))");
  conn_.Execute("INSERT INTO " + Q(keyless) + " (name) VALUES ('k')");
  const std::pair<std::string, const char*> queries[] = {
      {"SELECT * FROM " + Q(view), "vista"},
      {"SELECT count(*) AS n, max(name) AS name FROM " + Q(t), "calcolata"},
      {"SELECT id, " + Sql().concat("name", "'x'") + " AS name FROM " + Q(t), "calcolata"},
      {"SELECT name FROM " + Q(t), "chiave"},
      {"SELECT * FROM " + Q(keyless), "chiave primaria"},  // SQLite has row ids to write by
  };
  for (const auto& [q, says] : queries) {
    if (q.ends_with(Q(keyless)) && Sql().rowIds) continue;
    Recordset rs;
    rs.Open(q, conn_, adOpenKeyset, adLockOptimistic, adCmdText);
    rs.MoveFirst();
    rs.Fields().Item("name").SetValue(Value("x"));
    const DbError e = Failure([&] { rs.Update(); });
    EXPECT_EQ(e.Number(), adErrFeatureNotAvailable) << q;
    EXPECT_NE(e.Description().find(says), std::string::npos) << q << ": " << e.Description();
    rs.CancelUpdate();
  }
  EXPECT_EQ(NameOfId(conn_, t, 1).find('x'), std::string::npos);

  auto schema = conn_.OpenSchema(adSchemaTables);
  schema->MoveFirst();
  EXPECT_DB_ERROR(schema->Fields().Item("TABLE_NAME").SetValue(Value("x")), adErrFeatureNotAvailable);
}

TEST_P(ProviderBehaviour, AJoinWritesEachColumnToItsOwnTable) {
  if (!Sql().joinsWriteBack) GTEST_SKIP() << "the driver does not tell where an aliased column comes from";
  const std::string a = Table("ja", 3), b = Table("jb", 3);
  Recordset rs;
  rs.Open("SELECT x.id, x.name, y.id AS yid, y.name AS yname FROM " + Q(a) + " x JOIN " + Q(b) +
              " y ON y.id = x.id ORDER BY x.id",
          conn_, adOpenKeyset, adLockOptimistic, adCmdText);
  rs.MoveFirst();
  rs.Fields().Item("name").SetValue(Value("pen"));
  rs.Fields().Item("yname").SetValue(Value("Grace"));
  rs.Update();
  EXPECT_EQ(NameOfId(conn_, a, 1), "pen");
  EXPECT_EQ(NameOfId(conn_, b, 1), "Grace");
  EXPECT_EQ(NameOfId(conn_, b, 2), "row 2");
}

TEST_P(ProviderBehaviour, ClosedObjectsRefuseWithTheirNumbers) {
  const std::string t = Table("closed", 3);
  EXPECT_DB_ERROR(conn_.Open(), adErrObjectOpen);
  EXPECT_DB_ERROR(conn_.ConnectionString("x"), adErrObjectOpen);

  auto rs = OpenTable(t, conn_);
  rs->MoveFirst();
  EXPECT_DB_ERROR(rs->Open("SELECT 1", conn_), adErrObjectOpen);
  EXPECT_DB_ERROR(rs->CursorType(adOpenStatic), adErrObjectOpen);
  conn_.Close();
  EXPECT_DB_ERROR(conn_.Close(), adErrObjectClosed);
  EXPECT_DB_ERROR(conn_.Execute("SELECT 1"), adErrInvalidConnection);
  EXPECT_DB_ERROR(conn_.OpenSchema(adSchemaTables), adErrInvalidConnection);
  EXPECT_DB_ERROR(conn_.QuoteIdentifier("x"), adErrInvalidConnection);
  // A record set that outlived its connection is refused, never touches the engine.
  EXPECT_DB_ERROR(rs->MoveNext(), adErrInvalidConnection);
  EXPECT_DB_ERROR(rs->Fields().Item("id").GetValue(), adErrInvalidConnection);
  rs->Close();

  Recordset closed;
  EXPECT_DB_ERROR(closed.Open("SELECT 1", conn_), adErrInvalidConnection);
  EXPECT_DB_ERROR(closed.MoveFirst(), adErrObjectClosed);
  EXPECT_DB_ERROR(closed.Eof(), adErrObjectClosed);
  EXPECT_DB_ERROR(closed.Fields().Count(), adErrObjectClosed);
  EXPECT_DB_ERROR(closed.Close(), adErrObjectClosed);
  EXPECT_DB_ERROR(closed.Update(), adErrObjectClosed);

  conn_.Open();  // the same object opens again
  rs->Open("SELECT * FROM " + Q(t), conn_);
}

// Asked again until the call ends: a request that comes before the statement starts is lost.
TEST_P(ProviderBehaviour, InterruptCancelsTheRunningStatementAndTheConnectionGoesOn) {
  if (Sql().endless.empty()) GTEST_SKIP() << "the driver cannot be interrupted";
  std::atomic<bool> ended{false};
  std::thread stopper([&] {
    while (!ended) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      conn_.Interrupt();
    }
  });
  const DbError e = Failure([&] { conn_.Execute(Sql().endless); });
  EXPECT_EQ(e.Number(), adErrOperationCanceled) << e.Description();
  EXPECT_EQ(e.Kind(), ErrorKind::Cancelled);
  ended = true;
  stopper.join();
  EXPECT_EQ(Scalar(conn_, "SELECT 1"), "1");
}

// Others write while a record set is open; on a server the session waits idle, in
// no transaction, between two reads.
TEST_P(ProviderBehaviour, AnOpenRecordsetHoldsNoLockNorTransaction) {
  const std::string t = Table("held", 5000);
  auto other = OwnConnection(text_);
  const std::string id = Sql().sessionId.empty() ? "" : Scalar(conn_, Sql().sessionId);
  int next = 5001;
  for (const std::string& q : {"SELECT * FROM " + Q(t), "SELECT id FROM " + Q(t) + " WHERE name <> ''"}) {
    Recordset rs;
    rs.Open(q, conn_);
    rs.AbsolutePosition(1000);
    EXPECT_NO_THROW(other->Execute("INSERT INTO " + Q(t) + " (id, name) VALUES (" + std::to_string(next++) + ", 'x')"))
        << q;
    EXPECT_TRUE(id.empty() || Scalar(*other, Sql().idleState + id) == Sql().idle) << q;
    rs.MoveNext();
    EXPECT_EQ(rs.Fields().Item("id").GetValue().ToText(), "1001") << q;
  }
}

// Ended in the middle of a statement, as a server that stops ends its sessions.
TEST_P(ProviderBehaviour, ASessionTheServerEndsFailsAtOnceAndANewOneWorks) {
  if (Sql().sessionId.empty()) GTEST_SKIP() << "no server";
  auto rs = OpenTable(Table("lost", 10000), conn_);
  rs->MoveFirst();
  std::thread ender([other = OwnConnection(text_), end = Sql().endSession + Scalar(conn_, Sql().sessionId)] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    other->Execute(end);
  });
  EXPECT_THROW(conn_.Execute(Sql().endless), DbError);
  ender.join();
  EXPECT_EQ(Failure([&] { conn_.Execute("SELECT 1"); }).Kind(), ErrorKind::ConnectionFailed);
  EXPECT_EQ(Failure([&] { rs->AbsolutePosition(5000); }).Kind(), ErrorKind::ConnectionFailed);
  conn_.Close();
  conn_.Open();
  EXPECT_EQ(Scalar(conn_, "SELECT 1"), "1");
}

// ---- SQLite ----------------------------------------------------------------

std::string FreshSqlite(const scratch::Dir& dir, const std::string&) {
  return "Provider=SQLite;Data Source=" + dir.File("t.db") + ";Create=Yes";
}

std::string SqliteFill(const std::string& table, std::int64_t n) {
  return "BEGIN; WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < " + std::to_string(n) +
         ") INSERT INTO " + table + " (id, name) SELECT i, 'row ' || i FROM c; COMMIT;";
}

const char* const kSqliteEndless = "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c) SELECT max(i) FROM c";

const std::vector<TestSql::TypeCase> kSqliteTypes{
    {"INTEGER", adInteger, 4, "-7", "-7"},
    {"BOOLEAN", adBoolean, 2, "1", "True"},
    {"DATETIME", adDBTimeStamp, 16, "'2024-05-31 13:45:00'", "2024-05-31 13:45:00"},
    {"VARCHAR(40)", adVarChar, 40, "'a;b'", "a;b"},
    {"TEXT", adLongVarChar, 2147483647, "'è'", "è"},
    {"SMALLINT", adSmallInt, 2},
    {"BIGINT", adBigInt, 8, "9007199254740993", "9007199254740993"},
    {"REAL", adDouble, 8, "1.0 / 7", "*"},
    {"NUMERIC(8,2)", adNumeric, 8, "12.5", "12.5"},
    {"BLOB", adLongVarBinary, 2147483647, "x'00ff'", "00ff"},
    {"NVARCHAR(9)", adVarWChar, 9, "'ü'", "ü"}};

const TestSql kSqliteSql{
    .types = kSqliteTypes,
    .withoutRowid = " WITHOUT ROWID",
    .schemaOfNewTables = "main",
    .fillRows = SqliteFill,
    .missingTableSays = "no such table: ",
    .missingTableNumber = 1,
    .endless = kSqliteEndless,
    .rowIds = true,
};

INSTANTIATE_TEST_SUITE_P(SQLite, ProviderBehaviour,
                         testing::Values(ProviderTarget{"SQLite", FreshSqlite, kSqliteSql}), PrintTarget);

// ---- PostgreSQL ------------------------------------------------------------

// A database of its own per test: the behaviour tests of several providers run in
// parallel on one test server. Empty when no server was given (the variable unset).
std::string FreshDatabase(const char* server, const std::string& provider, const std::string& test,
                          const std::string& drop = "") {
  if (!server) return "";
  const std::string name = "cv_" + provider + "_" + test;
  const auto admin = OwnConnection(server);
  admin->Execute("DROP DATABASE IF EXISTS " + name + drop);
  admin->Execute("CREATE DATABASE " + name);
  return name;
}
std::string FreshPgDatabase(const std::string& provider, const std::string& test) {
  return FreshDatabase(std::getenv("CARTAVO_TEST_PG"), provider, test, " WITH (FORCE)");
}

std::string FreshPg(const scratch::Dir&, const std::string& test) {
  const std::string db = FreshPgDatabase("pg", test);
  return db.empty() ? "" : std::string(std::getenv("CARTAVO_TEST_PG")) + ";Database=" + db;
}

std::string PgFill(const std::string& table, std::int64_t n) {
  return "INSERT INTO " + table + " (id, name) SELECT g, 'row ' || g FROM generate_series(1, " + std::to_string(n) +
         ") AS g";
}

// What libpq and psqlODBC both report for the declared types.
const std::vector<TestSql::TypeCase> kPgTypes{
    {"INTEGER", adInteger, 4, "-7", "-7"},
    {"BOOLEAN", adBoolean, 2, "true", "True"},
    {"TIMESTAMP", adDBTimeStamp, 16, "'2024-02-29 13:45:07.25'", "2024-02-29 13:45:07.25"},
    {"VARCHAR(40)", adVarChar, 40, "'a;b'", "a;b"},
    {"TEXT", adLongVarChar, 2147483647, "'è'", "è"},
    {"SMALLINT", adSmallInt, 2},
    {"BIGINT", adBigInt, 8, "-9223372036854775808", "-9223372036854775808"},
    {"REAL", adSingle, 4},
    {"DOUBLE PRECISION", adDouble, 8, "0.1", "0.1"},
    {"NUMERIC(8,2)", adNumeric, 8, "12.5", "12.50"},
    {"BYTEA", adLongVarBinary, 2147483647, "'\\x00ff'", "00ff"},
    {"CHAR(9)", adChar, 9, "'ab'", "ab       "},
    {"DATE", adDBDate, 6, "'0099-01-02'", "0099-01-02"},
    {"TIME", adDBTime, 6, "'23:59:59'", "23:59:59"}};

const TestSql kPgSql{
    .types =
        [] {
          auto types = kPgTypes;
          types.insert(types.end(), {{"TIMESTAMPTZ", adDBTimeStamp, 16},
                                     {"MONEY", adCurrency, 8},
                                     {"UUID", adGUID, 16},
                                     {"NUMERIC(40,10)", adNumeric, 40, "123456789012345678901234567890.0123456789",
                                      "123456789012345678901234567890.0123456789"},
                                     {"JSON", adLongVarChar, 2147483647, "'{\"a\": 1}'", "{\"a\": 1}"},
                                     {"INTERVAL", adLongVarChar, 2147483647}});
          return types;
        }(),
    .schemaOfNewTables = "public",
    .kinds = {{"CREATE MATERIALIZED VIEW cv_m AS SELECT 1 AS x", "cv_m", "MATERIALIZED VIEW"},
              {"CREATE TEMP TABLE cv_tmp (x int)", "cv_tmp", "LOCAL TEMPORARY"},
              {"", "pg_class", "SYSTEM TABLE"},
              {"", "tables", "SYSTEM VIEW"}},  // information_schema's
    .fillRows = PgFill,
    .missingTableSays = "[42P01] ERROR: relation \"cv_missing_table\" does not exist",
    .missingTableNumber = adErrProviderFailed,
    .endless = "SELECT pg_sleep(20)",
    .sessionId = "SELECT pg_backend_pid()",
    .endSession = "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE pid = ",
    .idleState = "SELECT state FROM pg_stat_activity WHERE pid = ",
    .idle = "idle",
};

INSTANTIATE_TEST_SUITE_P(PostgreSQL, ProviderBehaviour,
                         testing::Values(ProviderTarget{"PostgreSQL", FreshPg, kPgSql}), PrintTarget);

// ---- ODBC ------------------------------------------------------------------

std::string FreshOdbcSqlite(const scratch::Dir& dir, const std::string&) {
  return "Provider=ODBC;DRIVER={SQLite3};Database=" + dir.File("t.db");
}

std::string FreshOdbcPg(const scratch::Dir&, const std::string& test) {
  const std::string db = FreshPgDatabase("odbc", test);
  const char* port = std::getenv("CARTAVO_TEST_PG_PORT");
  if (db.empty() || !port) return "";
  // BoolsAsChar=0: the driver reports booleans as SQL_BIT, not as text.
  return "Provider=ODBC;DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::string(port) + ";Database=" + db +
         ";Uid=postgres;Pwd=;BoolsAsChar=0";
}

// The SQLite driver reports decimals as doubles, blobs as binary of 255 and no NVARCHAR.
const TestSql kOdbcSqliteSql{
    .types =
        [] {
          auto types = kSqliteTypes;
          std::erase_if(types, [](const auto& t) { return t.type == adVarWChar; });
          types[8].type = adDouble;  // NUMERIC(8,2)
          types[9].type = adBinary, types[9].size = 255;  // BLOB
          return types;
        }(),
    .withoutRowid = " WITHOUT ROWID",
    .fillRows = SqliteFill,
    .missingTableSays = "[HY000] ",
    .missingTableNumber = 1,
    .endless = kSqliteEndless,
    .rowIds = true,
    .joinsWriteBack = false,
};

const TestSql kOdbcPgSql = [] {
  TestSql sql = kPgSql;
  sql.types = kPgTypes;
  sql.kinds.clear();  // psqlODBC lists a MATVIEW, no temporary tables nor the system's
  sql.missingTableSays = "[42P01] ";
  sql.missingTableNumber = 1;
  return sql;
}();

// MariaDB, an engine reached through ODBC only (CARTAVO_TEST_MARIADB, its
// Database=cartavo_test replaced by the test's own).
std::string FreshOdbcMariaDb(const scratch::Dir&, const std::string& test) {
  const char* server = std::getenv("CARTAVO_TEST_MARIADB");
  const std::string db = FreshDatabase(server, "mdb", test);
  if (db.empty()) return "";
  std::string text = server;
  const std::string::size_type at = text.find("cartavo_test");
  return text.replace(at, std::strlen("cartavo_test"), db);
}

const TestSql kOdbcMariaDbSql{
    .types = {{"INTEGER", adInteger, 4, "-7", "-7"},
              {"TINYINT(1)", adTinyInt, 1, "1", "1"},
              {"BIT(1)", adBoolean, 2, "b'1'", "True"},
              {"DECIMAL(10,2)", adNumeric, 10, "12.5", "12.50"},
              {"DATETIME", adDBTimeStamp, 16, "'2024-05-31 13:45:00'", "2024-05-31 13:45:00"},
              {"TIMESTAMP(3)", adDBTimeStamp, 16, "'2024-02-29 13:45:07.250'", "2024-02-29 13:45:07.25"},
              {"VARCHAR(40)", adVarChar, 40, "'a;b'", "a;b"},
              {"TEXT", adLongVarChar, 2147483647, "'è'", "è"},
              {"CHAR(9)", adChar, 9, "'ab'", "ab"},
              {"BLOB", adLongVarBinary, 2147483647, "x'00ff'", "00ff"},
              {"ENUM('a','bé')", adChar, 2, "'bé'", "bé"},
              {"JSON", adLongVarChar, 2147483647, "'{\"a\": 1}'", "{\"a\": 1}"},
              {"SMALLINT UNSIGNED", adUnsignedSmallInt, 2, "65535", "65535"},
              {"INT UNSIGNED", adUnsignedInt, 4, "4294967295", "4294967295"},
              {"BIGINT UNSIGNED", adUnsignedBigInt, 8, "18446744073709551615", "18446744073709551615"},
              {"BIGINT", adBigInt, 8, "-9223372036854775808", "-9223372036854775808"},
              {"DOUBLE", adDouble, 8, "0.1", "0.1"},
              {"DATE", adDBDate, 6, "'2024-01-02'", "2024-01-02"},
              {"TIME", adDBTime, 6, "'23:59:59'", "23:59:59"}},
    .fillRows = [](const std::string& table, std::int64_t n) {
      return "INSERT INTO " + table + " (id, name) SELECT seq, CONCAT('row ', seq) FROM seq_1_to_" + std::to_string(n);
    },
    .missingTableSays = "[42S02] ",
    .missingTableNumber = 1146,
    .endless = "SELECT SLEEP(30)",
    .sessionId = "SELECT CONNECTION_ID()",
    .endSession = "KILL CONNECTION ",
    .idleState = "SELECT COUNT(*) FROM information_schema.INNODB_TRX WHERE trx_mysql_thread_id = ",
    .idle = "0",
    .concat = [](const std::string& a, const std::string& b) { return "CONCAT(" + a + ", " + b + ")"; },
};

INSTANTIATE_TEST_SUITE_P(ODBC, ProviderBehaviour,
                         testing::Values(ProviderTarget{"OdbcSqlite", FreshOdbcSqlite, kOdbcSqliteSql},
                                         ProviderTarget{"OdbcPostgreSQL", FreshOdbcPg, kOdbcPgSql},
                                         ProviderTarget{"OdbcMariaDB", FreshOdbcMariaDb, kOdbcMariaDbSql}),
                         PrintTarget);

}  // namespace
}  // namespace db
