// libFuzzer target: the SQL panel's reading of the editor's text. Only spaces are
// cut, from the ends only; the query test looks at the first six characters alone,
// in any case, and never reads past the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/SqlCommand.h"

namespace {

void Require(bool ok) {
  if (!ok) __builtin_trap();
}

std::string Swapped(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c = static_cast<char>(c ^ 0x20);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string_view trimmed = data::TrimSpaces(text);

  // A piece of the text itself, without spaces at its ends, and only spaces cut.
  if (!trimmed.empty()) {
    Require(trimmed.data() >= text.data() && trimmed.data() + trimmed.size() <= text.data() + text.size());
    Require(trimmed.front() != ' ' && trimmed.back() != ' ');
  }
  const std::size_t before = trimmed.empty() ? text.size() : static_cast<std::size_t>(trimmed.data() - text.data());
  Require(text.substr(0, before).find_first_not_of(' ') == std::string_view::npos);
  Require(text.substr(before + trimmed.size()).find_first_not_of(' ') == std::string_view::npos);
  Require(data::TrimSpaces(trimmed) == trimmed);

  const bool query = data::IsQuery(trimmed);
  Require(query == data::IsQuery(Swapped(trimmed)));
  if (trimmed.size() >= 6) {
    std::string upper(trimmed.substr(0, 6));
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    Require(query == (upper == "SELECT"));
    Require(query == data::IsQuery(std::string(trimmed.substr(0, 6)) + "\n;DROP"));
  } else {
    Require(!query);
  }
  return 0;
}
