#include "db/ConnectionString.h"

#include <gtest/gtest.h>

#include "db/Ado.h"
#include "db/DbError.h"
#include "tests/db/Failure.h"

namespace db {
namespace {

TEST(ConnectionString, ParsesKeysValuesAndQuotes) {
  struct Case { const char* text; const char* key; const char* value; };
  const Case cases[] = {
      {"Provider=SQLite;Data Source=a.db", "data source", "a.db"},
      {"  provider = SQLite ;  DATA SOURCE =  a b.db  ;", "Data Source", "a b.db"},
      {"Password=\"x;y\"", "password", "x;y"},
      {"Password='it''s'", "Password", "it's"},
      {"Password=\"say \"\"hi\"\"\" ; User=u", "password", "say \"hi\""},
      {"Password='a\"b'", "password", "a\"b"},
      {"Driver={SQLite3};Database=x", "driver", "{SQLite3}"},
      {"PWD={a;b}}c}", "pwd", "{a;b}}c}"},
      {"K=a=b", "k", "a=b"},
      {"K=1;K=2", "k", "2"},
      {"K=", "k", ""},
      {";;K=v;;", "k", "v"},
  };
  for (const Case& c : cases) {
    const auto cs = ConnectionString::Parse(c.text);
    EXPECT_EQ(cs.Get(c.key), std::optional<std::string>(c.value)) << c.text;
  }
  const auto cs = ConnectionString::Parse("Host=h");
  EXPECT_EQ(cs.Get("Server"), std::nullopt);
  EXPECT_EQ(cs.GetAny({"Server", "Host"}), "h");
  EXPECT_EQ(ConnectionString::Parse("Provider=ODBC; DSN = x ;UID=u").WithoutProvider(), " DSN = x ;UID=u");
  EXPECT_EQ(ConnectionString::Parse("DSN=x;provider=ODBC").WithoutProvider(), "DSN=x;");
  // What QuoteValue writes reads back unchanged.
  for (const char* v : {"plain", "", "a;b", "it's", "say \"hi\"", "both ' and \"", " lead", "trail\t", "{x"}) {
    const std::string text = "K=" + QuoteValue(v) + ";L=1";
    EXPECT_EQ(ConnectionString::Parse(text).Get("K"), v) << text;
  }
}

TEST(ConnectionString, RefusesMalformedTextNamingTheFault) {
  struct Case { const char* text; const char* says; };
  const Case cases[] = {
      {"Provider=SQLite;secret", "manca '='"},
      {"=v", "chiave vuota"},
      {"Password=\"abc", "virgolette non chiuse nel valore di \"Password\""},
      {"Password='a'b;X=1", "testo dopo le virgolette"},
      {"Driver={x", "parentesi graffa non chiusa"},
  };
  for (const Case& c : cases) {
    const DbError e = Failure([&] { ConnectionString::Parse(c.text); });
    EXPECT_EQ(e.Number(), adErrInvalidArgument) << c.text;
    EXPECT_NE(e.Description().find(c.says), std::string::npos) << e.Description();
    EXPECT_EQ(e.Description().find("secret"), std::string::npos);
  }
}

TEST(ConnectionString, MasksEveryPasswordOnAnyInput) {
  struct Case { const char* text; const char* masked; };
  const Case cases[] = {
      {"User=u;Password=secret;X=1", "User=u;Password=********;X=1"},
      {"pwd = secret ", "pwd = ******** "},
      {"PWD={se;cret};X=1", "PWD=********;X=1"},
      {"Password=\"se;cret\"", "Password=********"},
      {"Password='unclosed;X=1", "Password=********"},
      {"Password='a'junk;X=1", "Password=********;X=1"},
      {"Password=se;gr;eto;X=1", "Password=********;X=1"},
      {"Port={s;t};User=u;PWD={s;t}", "Port=********;User=u;PWD=********"},
      {"Database Password=s", "Database Password=********"},
      {"Password=;User=u", "Password=;User=u"},
      {"Password", "Password"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(MaskPasswords(c.text), c.masked) << c.text;
}

}  // namespace
}  // namespace db
