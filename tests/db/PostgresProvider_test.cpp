// The PostgreSQL provider against the test server (CARTAVO_TEST_PG): what the
// behavioural tests shared with the other providers do not reach.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/db/Failure.h"
#include "db/providers/BuiltInProviders.h"
#include "db/Ado.h"
#include "db/Connection.h"
#include "db/DbError.h"

namespace db {
namespace {

TEST(PostgresProvider, StopsARunawayCommandAtTheTimeout) {
  const char* text = std::getenv("CARTAVO_TEST_PG");
  if (!text) GTEST_SKIP() << "CARTAVO_TEST_PG non impostata: nessun server PostgreSQL di prova";
  Connection conn{BuiltInProvider};
  conn.ConnectionString(std::string(text) + ";Command Timeout=1");
  conn.Open();
  DbError e = Failure([&] { conn.Execute("SELECT pg_sleep(20)"); });
  EXPECT_EQ(e.Number(), adErrTimeout) << e.Description();
  EXPECT_EQ(e.Kind(), ErrorKind::Timeout);
  EXPECT_NE(e.Description().find("[57014]"), std::string::npos) << e.Description();
  conn.Execute("SELECT 1");  // the session goes on
}

}  // namespace
}  // namespace db
