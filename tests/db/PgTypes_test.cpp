#include "db/postgres/PgConnInfo.h"
#include "db/postgres/PgTypes.h"

#include <gtest/gtest.h>

#include <cmath>

#include "db/Ado.h"
#include "db/DbError.h"
#include "tests/db/Failure.h"

namespace db::pg {
namespace {

const std::vector<std::string> kLibpq = {"host", "port", "dbname", "user", "password", "connect_timeout",
                                          "sslmode", "application_name", "client_encoding"};

std::string Keyword(const ConnInfo& info, const std::string& k) {
  for (const auto& [key, value] : info.keywords)
    if (key == k) return value;
  return "<none>";
}

TEST(PgConnInfo, MapsSynonymsPassesLibpqKeywordsAndRefusesUnknownKeys) {
  ConnInfo info = MakeConnInfo({{"Provider", "PostgreSQL"}, {"Data Source", "db.example"}, {"Initial Catalog", "x"},
                                {"UID", "u"}, {"PWD", "s3cret"}, {"SSL Mode", "require"}, {"Command Timeout", "5"}},
                               kLibpq);
  EXPECT_EQ(Keyword(info, "host"), "db.example");
  EXPECT_EQ(Keyword(info, "dbname"), "x");
  EXPECT_EQ(Keyword(info, "user"), "u");
  EXPECT_EQ(Keyword(info, "sslmode"), "require");
  EXPECT_EQ(Keyword(info, "connect_timeout"), "15");
  EXPECT_EQ(info.password, "s3cret");
  EXPECT_EQ(info.commandTimeout, 5);
  EXPECT_EQ(MakeConnInfo({{"Connect Timeout", "3"}}, kLibpq).keywords.front().second, "3");
  EXPECT_EQ(MakeConnInfo({}, kLibpq).commandTimeout, 30);

  for (auto bad : std::vector<std::pair<std::string, std::string>>{
           {"Databse", "x"}, {"Command Timeout", "-1"}, {"Command Timeout", "4000000"}, {"Connect Timeout", "soon"}}) {
    const DbError e = Failure([&] { MakeConnInfo({bad}, kLibpq); });
    EXPECT_EQ(e.Number(), adErrInvalidArgument) << bad.first;
    EXPECT_NE(e.Description().find(bad.first), std::string::npos) << e.Description();
  }
}

// Ordinary values of each type are the shared behaviour tests'; here the edges.
TEST(PgTypes, DecodesTheTextFormatAndKeepsWhatDoesNotParse) {
  auto dt = [](DateTime::Part part, int y, int mo, int d, int h, int mi, int s, int us) {
    return Value(DateTime{part, y, mo, d, h, mi, s, us});
  };
  auto decode = [](Oid oid, const std::string& s) { return Decode(oid, s.c_str(), static_cast<int>(s.size())); };
  using P = DateTime::Part;
  EXPECT_EQ(decode(kTimestampTz, "2024-02-29 13:45:07+05:30"), dt(P::DateTime, 2024, 2, 29, 13, 45, 7, 0));
  EXPECT_EQ(decode(kTime, "23:59:59.000001"), dt(P::Time, 0, 0, 0, 23, 59, 59, 1));
  EXPECT_EQ(decode(kDate, "2024-01-01 BC"), Value("2024-01-01 BC"));
  EXPECT_EQ(decode(kTimestamp, "infinity"), Value("infinity"));
  EXPECT_EQ(decode(kFloat8, "-Infinity"), Value(-HUGE_VAL));

  EXPECT_EQ(Encode(Value(Bytes{0, 255})), "\\x00ff");
  EXPECT_EQ(Encode(Value(0.1)), "0.1");
  EXPECT_EQ(Encode(Value()), std::nullopt);
  EXPECT_EQ(Encode(dt(P::DateTime, 2024, 2, 29, 13, 45, 7, 5)), "2024-02-29 13:45:07.000005");
}

}  // namespace
}  // namespace db::pg
