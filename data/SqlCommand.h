#pragma once
// How the SQL panel reads the editor's text: no engine and no widget involved.
#include <string_view>

namespace data {

// The text without the spaces at either end. Only U+0020 goes: tabs and line breaks
// at either end are kept and count as characters.
std::string_view TrimSpaces(std::string_view text);

// A query is a text whose first six characters read SELECT in any case; nothing after
// them is looked at, so SELECTED counts too, while WITH or a leading tab does not.
bool IsQuery(std::string_view trimmed);

}  // namespace data
