#include <gtest/gtest.h>

#include "data/CellText.h"
#include "data/SqlCommand.h"
#include "db/Ado.h"
#include "db/DbError.h"

namespace {

using data::CellKind;
using data::CellText;
using data::Shown;

// NULL stands apart from an empty text, numbers go right, dates and text left, and
// binary values show a preview and their size.
TEST(CellText, EachKindHasItsTextAndSide) {
  EXPECT_EQ(Shown(db::Value(), db::adVarChar), (CellText{"NULL", CellKind::Null, false}));
  EXPECT_EQ(Shown(db::Value(""), db::adVarChar), (CellText{"", CellKind::Text, false}));
  EXPECT_EQ(Shown(db::Value("NULL"), db::adVarChar).kind, CellKind::Text);
  EXPECT_EQ(data::EditText(db::Value()), "");
  EXPECT_EQ(Shown(db::Value(-42), db::adInteger), (CellText{"-42", CellKind::Number, true}));
  EXPECT_EQ(Shown(db::Value(2.5), db::adDouble), (CellText{"2.5", CellKind::Number, true}));
  EXPECT_EQ(Shown(db::Value(500000.0), db::adDouble).text, "500000") << "no exponent for plain numbers";
  EXPECT_EQ(Shown(db::Value(1e300), db::adDouble).text, "1e+300");
  EXPECT_TRUE(Shown(db::Value("12.50"), db::adNumeric).rightAligned) << "a decimal read as text";
  const db::DateTime when{db::DateTime::Part::DateTime, 2024, 5, 31, 13, 45, 0, 0};
  EXPECT_EQ(Shown(db::Value(when), db::adDBTimeStamp), (CellText{"2024-05-31 13:45:00", CellKind::Date, false}));
  EXPECT_EQ(Shown(db::Value(true), db::adBoolean).text, "True");
  EXPECT_EQ(Shown(db::Value(db::Bytes{0x89, 0x50, 0x0a}), db::adLongVarBinary).text, "89500a (3 byte)");
  EXPECT_EQ(Shown(db::Value(db::Bytes(1000, 0xff)), db::adLongVarBinary).text, "ffffffffffffffff\u2026 (1000 byte)");
  EXPECT_EQ(Shown(db::Value(db::Bytes{}), db::adVarBinary).text, "(0 byte)");
}

TEST(CellText, LongTextIsCutToOneLineButEditedWhole) {
  const std::string line(500, 'x');
  const CellText cut = Shown(db::Value(line), db::adLongVarChar);
  EXPECT_EQ(cut.text, std::string(data::kShownChars, 'x') + "\u2026");
  EXPECT_EQ(data::EditText(db::Value(line)), line);

  EXPECT_EQ(Shown(db::Value("uno\r\ndue\nt\tre"), db::adVarChar).text, "uno\u21b5due\u21b5t re");
  // Cut by characters, never inside one.
  std::string accents;
  for (int i = 0; i < 300; ++i) accents += "\u00e8";
  const std::string shown = Shown(db::Value(accents), db::adVarChar).text;
  EXPECT_EQ(shown.size(), data::kShownChars * 2 + std::string("\u2026").size());
  // Bytes that are no UTF-8 are cut as well, however long their run.
  EXPECT_LE(Shown(db::Value(std::string(100000, '\x80')), db::adVarChar).text.size(), data::kShownChars * 4 + 3);
}

TEST(CellText, EditedTextTakesTheColumnsType) {
  EXPECT_EQ(data::FromEdit("42", db::adInteger), db::Value(42));
  EXPECT_EQ(data::FromEdit("4 2", db::adInteger), db::Value("4 2")) << "left to the engine";
  EXPECT_EQ(data::FromEdit("0.25", db::adDouble), db::Value(0.25));
  EXPECT_EQ(data::FromEdit("12.50", db::adNumeric), db::Value("12.50")) << "digits kept";
  EXPECT_EQ(data::FromEdit("00FF 10", db::adLongVarBinary), db::Value(db::Bytes{0x00, 0xff, 0x10}));
  EXPECT_THROW(data::FromEdit("abc", db::adVarBinary), db::DbError);
  EXPECT_THROW(data::FromEdit("0g", db::adVarBinary), db::DbError);
  // What the editor shows reads back as the same value.
  const db::Bytes blob{0x01, 0xab};
  EXPECT_EQ(data::FromEdit(data::EditText(db::Value(blob)), db::adLongVarBinary), db::Value(blob));
}

TEST(CellText, ColumnWidthsAreBounded) {
  EXPECT_EQ(data::ColumnChars(db::adLongVarChar, 2147483647), data::kMaxColumnChars);
  EXPECT_EQ(data::ColumnChars(db::adVarChar, -1), data::kMaxColumnChars);
  EXPECT_EQ(data::ColumnChars(db::adVarChar, 1), data::kMinColumnChars);
}

// Spaces are trimmed, never other blanks; then six characters decide.
TEST(SqlCommand, SixCharactersAfterTheSpacesDecideAQuery) {
  EXPECT_EQ(data::TrimSpaces("   select 1  "), "select 1");
  for (const char* query : {"SELECT * FROM t", "   select 1", "SeLeCt", "SELECTED", "select\n1"})
    EXPECT_TRUE(data::IsQuery(data::TrimSpaces(query))) << query;
  for (const char* command : {"\tSELECT 1", "\nselect 1", "WITH x AS (SELECT 1) SELECT * FROM x", "(SELECT 1)",
                              "SELEC", "", "    ", "UPDATE t SET a = 1", "SÉLECT 1"})
    EXPECT_FALSE(data::IsQuery(data::TrimSpaces(command))) << command;
}

}  // namespace
