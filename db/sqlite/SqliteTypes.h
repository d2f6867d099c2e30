#pragma once
// Field types of SQLite columns in the ADO numbering, and the values as callers
// see them. SQLite keeps a declared type per column but stores each value in one
// of five classes; the declared type tells how to present it.
#include <cstdint>
#include <optional>
#include <string_view>

#include "db/Value.h"

namespace db::sqlite {

struct TypeInfo {
  int type = 0;  // DataTypeEnum
  std::int32_t size = 0;
};

// The type code and defined size for a declared column type ("" for an expression).
TypeInfo TypeFromDeclared(std::string_view declared);

// A stored value as the caller sees it: 0/1 of a boolean column as a boolean, the
// text of a date or time column as DateTime when it reads as one; everything else
// (other numbers, text that does not parse) unchanged, so nothing is lost.
Value Presented(const Value& stored, int type);
// Presented(stored, type).ToText(); a date or time stored as it is shown is not read
// and written again.
std::string PresentedText(const Value& stored, int type);
// A value about to be written: "True"/"False" (what a boolean shows as text) to 1/0
// for a boolean column; everything else unchanged.
Value ForStorage(const Value& v, int type);

// ISO 8601 date, time or both ("2024-05-31", "13:45:00.25", "2024-05-31T13:45");
// nullopt for anything else, including a zone or more than microseconds.
std::optional<DateTime> ParseDateTime(std::string_view text);

}  // namespace db::sqlite
