#include "data/SqlCommand.h"

namespace data {

std::string_view TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsQuery(std::string_view trimmed) {
  constexpr std::string_view kSelect = "SELECT";
  if (trimmed.size() < kSelect.size()) return false;
  // Bytes of a UTF-8 sequence are never ASCII letters, so comparing bytes compares
  // the first six characters.
  for (std::size_t i = 0; i < kSelect.size(); ++i) {
    char c = trimmed[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kSelect[i]) return false;
  }
  return true;
}

}  // namespace data
