#include "db/Value.h"

#include <gtest/gtest.h>

namespace db {
namespace {

TEST(Value, OneTextForEveryKind) {
  EXPECT_EQ(Value().ToText(), "");
  EXPECT_EQ(Value(std::int64_t{-9007199254740993}).ToText(), "-9007199254740993");
  EXPECT_EQ(Value(0.1).ToText(), "0.1");  // the shortest text that reads back the same
  EXPECT_EQ(Value(-2.5).ToText(), "-2.5");
  EXPECT_EQ(Value(500000.0).ToText(), "500000");  // plain digits, never 5e+05
  EXPECT_EQ(Value(1.5e-7).ToText(), "0.00000015");
  EXPECT_EQ(Value(true).ToText(), "True");
  EXPECT_EQ(Value(false).ToText(), "False");
  EXPECT_EQ(Value(Bytes{0x00, 0xab, 0x10}).ToText(), "00ab10");
  EXPECT_EQ(Value(DateTime{DateTime::Part::DateTime, 2024, 5, 31, 13, 45, 0, 0}).ToText(), "2024-05-31 13:45:00");
  EXPECT_EQ(Value(DateTime{DateTime::Part::Date, 2024, 5, 31, 13, 45, 0, 0}).ToText(), "2024-05-31");
  EXPECT_EQ(Value(DateTime{DateTime::Part::Time, 0, 0, 0, 7, 5, 3, 120000}).ToText(), "07:05:03.12");
  // Out of the usual ranges the fields keep their width and sign, as printf's "%04d" does.
  EXPECT_EQ(Value(DateTime{DateTime::Part::DateTime, 12, 1, 2, 3, 4, 5, 5}).ToText(), "0012-01-02 03:04:05.000005");
  EXPECT_EQ(Value(DateTime{DateTime::Part::Date, -44, 3, 15, 0, 0, 0, 0}).ToText(), "-044-03-15");
  EXPECT_EQ(Value(DateTime{DateTime::Part::Date, 123456, 12, 31, 0, 0, 0, 0}).ToText(), "123456-12-31");
}

}  // namespace
}  // namespace db
