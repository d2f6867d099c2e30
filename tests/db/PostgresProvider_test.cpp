// The PostgreSQL provider against the test server (CARTAVO_TEST_PG): what the
// behavioural tests shared with the other providers do not reach.
#include <gtest/gtest.h>

#include <cstdlib>

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "tests/db/Failure.h"
#include "tests/db/OwnConnection.h"

namespace db {
namespace {

TEST(PostgresProvider, StopsARunawayCommandAtTheTimeout) {
  const char* text = std::getenv("CARTAVO_TEST_PG");
  if (!text) GTEST_SKIP() << "CARTAVO_TEST_PG non impostata: nessun server PostgreSQL di prova";
  const auto conn = OwnConnection(std::string(text) + ";Command Timeout=1");
  DbError e = Failure([&] { conn->Execute("SELECT pg_sleep(20)"); });
  EXPECT_EQ(e.Number(), adErrTimeout) << e.Description();
  EXPECT_EQ(e.Kind(), ErrorKind::Timeout);
  EXPECT_NE(e.Description().find("[57014]"), std::string::npos) << e.Description();
  conn->Execute("SELECT 1");  // the session goes on
}

// The session prepares its catalogue lookup once and the user's DEALLOCATE drops it;
// a statement that fails inside a pipeline must leave the session usable.
TEST(PostgresProvider, TablesStayEditableAfterTheUsersDeallocate) {
  const char* text = std::getenv("CARTAVO_TEST_PG");
  if (!text) GTEST_SKIP() << "CARTAVO_TEST_PG non impostata: nessun server PostgreSQL di prova";
  const auto conn = OwnConnection(text);
  conn->Execute("DROP TABLE IF EXISTS pg_dealloc; CREATE TABLE pg_dealloc (id int PRIMARY KEY, name text);"
                " INSERT INTO pg_dealloc VALUES (1, 'a')");
  const auto write = [&](const char* name) {
    Recordset rs;
    rs.Open("SELECT * FROM pg_dealloc", *conn, adOpenKeyset, adLockOptimistic, adCmdText);
    rs.Fields().Item("name").SetValue(Value(name));
    rs.Update();
  };
  write("b");
  conn->Execute("DEALLOCATE ALL");
  write("c");
  EXPECT_EQ(Failure([&] { Recordset rs; rs.Open("SELECT * FROM no_such_table", *conn); }).Kind(), ErrorKind::Syntax);
  write("d");
  EXPECT_EQ(Scalar(*conn, "SELECT name FROM pg_dealloc"), "d");
  conn->Execute("DROP TABLE pg_dealloc");
}

}  // namespace
}  // namespace db
