#include <gtest/gtest.h>

#include "schema/TableQuery.h"
#include "schema/TypeNames.h"

namespace {

TEST(TypeName, NamesOnlyTheFiveCommonCodes) {
  EXPECT_EQ(schema::TypeName(3), "Numerico");
  EXPECT_EQ(schema::TypeName(11), "Bit");
  EXPECT_EQ(schema::TypeName(135), "Data/Ora");
  EXPECT_EQ(schema::TypeName(200), "Testo");
  EXPECT_EQ(schema::TypeName(201), "Memo");
  // Near relatives keep their numbers.
  EXPECT_EQ(schema::TypeName(202), "202");
  EXPECT_EQ(schema::TypeName(2), "2");
  EXPECT_EQ(schema::TypeName(7), "7");
  EXPECT_EQ(schema::TypeName(0), "0");
  EXPECT_EQ(schema::TypeName(-32768), "-32768");
}

std::string DoubleQuote(std::string_view name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

TEST(SelectAllFrom, QuotesEveryPartAndQualifiesWithTheSchema) {
  EXPECT_EQ(schema::SelectAllFrom("main", "Listino prezzi", DoubleQuote),
            "SELECT * FROM \"main\".\"Listino prezzi\"");
  EXPECT_EQ(schema::SelectAllFrom("", "a]b\"c", DoubleQuote), "SELECT * FROM \"a]b\"\"c\"");
  EXPECT_EQ(schema::SelectAllFrom("my.schema", "t", DoubleQuote),
            "SELECT * FROM \"my.schema\".\"t\"");
}

}  // namespace
