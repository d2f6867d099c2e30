#include <gtest/gtest.h>

#include "schema/TypeNames.h"

namespace {

// Only five codes have names; their near relatives keep their numbers.
TEST(TypeName, NamesOnlyTheFiveCommonCodes) {
  const std::pair<std::int16_t, const char*> cases[] = {
      {3, "Numerico"}, {11, "Bit"}, {135, "Data/Ora"}, {200, "Testo"}, {201, "Memo"},
      {202, "202"},    {2, "2"},    {7, "7"},          {0, "0"},       {-32768, "-32768"}};
  for (const auto& [code, name] : cases) EXPECT_EQ(schema::TypeName(code), name) << code;
}

}  // namespace
