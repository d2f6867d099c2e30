#pragma once
// Engine messages made fit for an error description.
#include <string>
#include <string_view>

#include "db/DbError.h"

namespace db {

// Blanks (the line breaks and tabs of multi-line messages included) folded to one space.
std::string OneLine(std::string_view text);

// The text with every occurrence of secret that stands as a word of its own (not
// inside a longer run of letters and digits) replaced by asterisks: a password an
// engine echoes goes, a short one does not eat into other words.
std::string Scrub(std::string text, std::string_view secret);

// What a SQLSTATE stands for, for the engines that give one (PostgreSQL, ODBC).
ErrorKind KindOfSqlState(std::string_view state);

}  // namespace db
