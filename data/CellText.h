#pragma once
// What a grid cell shows of a value, and what its editor holds: rules that need no
// widget. The grid draws NULL apart from an empty text, cuts long texts to one short
// line, previews binary values, and right-aligns numbers; the editor always gets
// the whole value.
#include <cstddef>
#include <cstdint>
#include <string>

#include "db/Value.h"

namespace data {

enum class CellKind { Null, Text, Number, Binary, Date, Boolean };

struct CellText {
  std::string text;  // one line, at most kShownChars characters and a trailing ellipsis
  CellKind kind = CellKind::Text;
  bool rightAligned = false;
  friend bool operator==(const CellText&, const CellText&) = default;
};

inline constexpr std::size_t kShownChars = 200;
inline constexpr std::size_t kPreviewBytes = 8;
inline constexpr const char* kNullText = "NULL";

// The cell of a value read from a column of this DataTypeEnum type.
CellText Shown(const db::Value& v, int type);

// The whole value as text for editing; NULL gives the empty text.
std::string EditText(const db::Value& v);

// The longest value, in bytes of its edit text, that the editor holds whole: typing
// into a line of a megabyte already takes most of a second a key. A longer value
// opens for reading only, so it is never written back cut.
inline constexpr std::size_t kMaxEditBytes = 100000;
bool FitsEditor(const db::Value& v);

// What an edited text stores in a column of this type: a whole number or a floating
// number when it reads as one, bytes from hexadecimal digits for a binary column,
// the text itself otherwise (the engine converts it). Raises DbError when a binary
// column gets anything but pairs of hexadecimal digits.
db::Value FromEdit(const std::string& text, int type);

// The width of a column in average characters, from its type and defined size:
// never under kMinColumnChars nor over kMaxColumnChars, whatever size is declared.
inline constexpr int kMinColumnChars = 4;
inline constexpr int kMaxColumnChars = 40;
int ColumnChars(int type, std::int32_t definedSize);

bool IsNumericType(int type);
bool IsBinaryType(int type);

}  // namespace data
