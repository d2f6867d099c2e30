// The PostgreSQL provider against the test server (CARTAVO_TEST_PG): what the
// behavioural tests shared with the other providers do not reach.
#include <gtest/gtest.h>

#include <cstdlib>

#include "db/Ado.h"
#include "db/DbError.h"
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

}  // namespace
}  // namespace db
