#include "db/SqlText.h"

#include <gtest/gtest.h>

namespace db::sql {
namespace {

TEST(SqlText, QuotesIdentifiersWithTheQuoteDoubled) {
  EXPECT_EQ(QuoteIdentifier(kSqlite, "a \"b\" c"), "\"a \"\"b\"\" c\"");
  EXPECT_EQ(QualifiedName(kSqlite, "main", "t"), "\"main\".\"t\"");
  EXPECT_EQ(QualifiedName(kSqlite, "", "t"), "\"t\"");
  EXPECT_EQ(QuoteIdentifier(Dialect{'`', "IS", PlaceholderStyle::Question}, "a`b"), "`a``b`");
}

TEST(SqlText, RecognisesThePlainSingleTableSelect) {
  struct Case { const char* sql; bool plain; const char* schema; const char* name; };
  const Case cases[] = {
      {"SELECT * FROM t", true, "", "t"},
      {"  select*from T ;; ", true, "", "T"},
      {"SELECT * FROM [a b]", true, "", "a b"},
      {"SELECT * FROM [a]]", false, "", ""},
      {"SELECT * FROM \"main\".\"x \"\"y\"\"\"", true, "main", "x \"y\""},
      {"SELECT * FROM `q``r`", true, "", "q`r"},
      {"SELECT /* c */ * -- note\n FROM s.t; -- end", true, "s", "t"},
      {"SELECT * FROM città", true, "", "città"},
      {"SELECT * FROM t WHERE a = 1", false, "", ""},
      {"SELECT * FROM t x", false, "", ""},
      {"SELECT * FROM a, b", false, "", ""},
      {"SELECT a FROM t", false, "", ""},
      {"SELECT * FROM t; DELETE FROM t", false, "", ""},
      {"SELECT * FROM 't'", false, "", ""},
      {"SELECT * FROM \"unclosed", false, "", ""},
      {"SELECT * FROM", false, "", ""},
      {"", false, "", ""},
  };
  for (const Case& c : cases) {
    const auto ref = ParsePlainSelect(c.sql);
    ASSERT_EQ(ref.has_value(), c.plain) << c.sql;
    if (!ref) continue;
    EXPECT_EQ(ref->schema, c.schema) << c.sql;
    EXPECT_EQ(ref->name, c.name) << c.sql;
  }
  EXPECT_TRUE(ParsePlainSelect("SELECT * FROM \"T\"")->nameQuoted);
  EXPECT_FALSE(ParsePlainSelect("SELECT * FROM T")->nameQuoted);
}

}  // namespace
}  // namespace db::sql
