#include <gtest/gtest.h>

#include "data/SqlCommand.h"

namespace {

using data::IsQuery;
using data::TrimSpaces;

TEST(SqlCommand, TrimRemovesSpacesOnly) {
  EXPECT_EQ(TrimSpaces("   select 1  "), "select 1");
  EXPECT_EQ(TrimSpaces("\tSELECT 1\n "), "\tSELECT 1\n");
  EXPECT_EQ(TrimSpaces("    "), "");
  EXPECT_EQ(TrimSpaces(""), "");
}

TEST(SqlCommand, SixCharactersDecideAQuery) {
  for (const char* query : {"SELECT * FROM t", "select 1", "SeLeCt", "SELECTED", "select\n1"})
    EXPECT_TRUE(IsQuery(query)) << query;
  for (const char* command : {"\tSELECT 1", "\nselect 1", "WITH x AS (SELECT 1) SELECT * FROM x", "(SELECT 1)",
                              "SELEC", "", "UPDATE t SET a = 1", "SÉLECT 1"})
    EXPECT_FALSE(IsQuery(command)) << command;
  EXPECT_TRUE(IsQuery(TrimSpaces("   select * from t")));
}

}  // namespace
