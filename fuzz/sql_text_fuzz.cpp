// libFuzzer target: the SQL tokenizer behind ParsePlainSelect and TrimStatementEnd
// must be total on any text and cut only a tail.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "db/SqlText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)db::sql::ParsePlainSelect(text);
  const std::string_view trimmed = db::sql::TrimStatementEnd(text);
  if (text.substr(0, trimmed.size()) != trimmed || db::sql::TrimStatementEnd(trimmed) != trimmed)
    __builtin_trap();
  return 0;
}
