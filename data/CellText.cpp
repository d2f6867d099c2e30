#include "data/CellText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "db/Ado.h"
#include "db/DbError.h"

namespace data {

namespace {

constexpr const char* kEllipsis = "\u2026";
constexpr const char* kLineBreak = "\u21b5";

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// At most kShownChars characters of the text on one line: line breaks become a
// visible mark and other control characters a blank. Reads no further than it shows.
// A lead byte takes at most three continuation bytes: stray ones in text that is no
// UTF-8 count as characters of their own, so the line stays short whatever it holds.
std::string OneLine(const std::string& s) {
  std::string out;
  std::size_t chars = 0, i = 0, room = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    const bool continues = IsContinuation(c) && room > 0;
    room = continues ? room - 1 : (static_cast<unsigned char>(c) >= 0xC0 ? 3 : 0);
    if (!continues && chars++ == kShownChars) break;
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      out += kLineBreak;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      out += ' ';
    } else {
      out += c;
    }
  }
  if (i < s.size()) out += kEllipsis;
  return out;
}

std::string Preview(const db::Bytes& b) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < std::min(b.size(), kPreviewBytes); ++i) {
    out += kDigits[b[i] >> 4];
    out += kDigits[b[i] & 0xF];
  }
  if (b.size() > kPreviewBytes) out += kEllipsis;
  if (!out.empty()) out += ' ';
  return out + "(" + std::to_string(b.size()) + " byte)";
}

// Plain decimal digits for the magnitudes a table holds; exponents only beyond them.
std::string NumberText(double v) {
  const double magnitude = std::abs(v);
  const bool plain = magnitude == 0 || (magnitude >= 1e-6 && magnitude < 1e15);
  char buf[512];
  const auto r = plain ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed)
                       : std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

template <class T>
bool ParseWhole(const std::string& s, T& out) {
  const char* end = s.data() + s.size();
  const auto r = std::from_chars(s.data(), end, out);
  return r.ec == std::errc() && r.ptr == end;
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

db::Bytes FromHex(const std::string& s) {
  db::Bytes out;
  int high = -1;
  for (char c : s) {
    if (c == ' ') continue;
    const int d = Hex(c);
    if (d < 0)
      throw db::DbError(db::adErrDataConversion,
                        "Valore non valido per un campo binario: sono ammesse solo cifre esadecimali",
                        db::ErrorKind::InvalidValue);
    if (high < 0) {
      high = d;
    } else {
      out.push_back(static_cast<std::uint8_t>(high << 4 | d));
      high = -1;
    }
  }
  if (high >= 0)
    throw db::DbError(db::adErrDataConversion, "Valore non valido per un campo binario: le cifre esadecimali vanno a coppie",
                      db::ErrorKind::InvalidValue);
  return out;
}

bool IsIntegerType(int type) {
  switch (type) {
    case db::adSmallInt: case db::adInteger: case db::adTinyInt: case db::adUnsignedTinyInt:
    case db::adUnsignedSmallInt: case db::adUnsignedInt: case db::adBigInt: case db::adUnsignedBigInt:
      return true;
    default:
      return false;
  }
}

bool IsFloatingType(int type) { return type == db::adSingle || type == db::adDouble; }

}  // namespace

bool IsNumericType(int type) {
  return IsIntegerType(type) || IsFloatingType(type) || type == db::adCurrency || type == db::adDecimal ||
         type == db::adNumeric;
}

bool IsBinaryType(int type) {
  return type == db::adBinary || type == db::adVarBinary || type == db::adLongVarBinary;
}

CellText Shown(const db::Value& v, int type) {
  if (v.IsNull()) return {kNullText, CellKind::Null, false};
  // Decimal numbers may come as text, to keep their digits: aligned as numbers.
  if (v.Is<std::string>()) return {OneLine(v.Get<std::string>()), CellKind::Text, IsNumericType(type)};
  if (v.Is<db::Bytes>()) return {Preview(v.Get<db::Bytes>()), CellKind::Binary, false};
  if (v.Is<bool>()) return {v.ToText(), CellKind::Boolean, false};
  if (v.Is<db::DateTime>()) return {v.ToText(), CellKind::Date, false};
  return {EditText(v), CellKind::Number, true};
}

std::string EditText(const db::Value& v) { return v.Is<double>() ? NumberText(v.Get<double>()) : v.ToText(); }

bool FitsEditor(const db::Value& v) {
  if (v.Is<std::string>()) return v.Get<std::string>().size() <= kMaxEditBytes;
  if (v.Is<db::Bytes>()) return v.Get<db::Bytes>().size() <= kMaxEditBytes / 2;  // two hex digits a byte
  return true;
}

db::Value FromEdit(const std::string& text, int type) {
  if (IsBinaryType(type)) return FromHex(text);
  if (IsIntegerType(type)) {
    std::int64_t n = 0;
    if (ParseWhole(text, n)) return n;
  }
  if (IsFloatingType(type)) {
    double d = 0;
    if (ParseWhole(text, d)) return d;
  }
  return text;
}

int ColumnChars(int type, std::int32_t definedSize) {
  int chars = 20;
  switch (type) {
    case db::adBoolean: chars = 5; break;
    case db::adTinyInt: case db::adUnsignedTinyInt: chars = 4; break;
    case db::adSmallInt: case db::adUnsignedSmallInt: chars = 6; break;
    case db::adInteger: case db::adUnsignedInt: chars = 11; break;
    case db::adBigInt: case db::adUnsignedBigInt: chars = 20; break;
    case db::adSingle: case db::adDouble: chars = 15; break;
    case db::adCurrency: case db::adDecimal: case db::adNumeric: chars = std::clamp(definedSize, 1, 38) + 2; break;
    case db::adDBDate: chars = 10; break;
    case db::adDBTime: chars = 8; break;
    case db::adDate: case db::adDBTimeStamp: chars = 19; break;
    case db::adGUID: chars = 36; break;
    case db::adBinary: case db::adVarBinary: case db::adLongVarBinary: chars = 28; break;
    case db::adChar: case db::adWChar: case db::adVarChar: case db::adVarWChar:
    case db::adLongVarChar: case db::adLongVarWChar:
      chars = definedSize > 0 ? std::min(definedSize, kMaxColumnChars) : kMaxColumnChars;
      break;
    default: break;
  }
  return std::clamp(chars, kMinColumnChars, kMaxColumnChars);
}

}  // namespace data
