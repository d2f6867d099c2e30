#include "db/sqlite/SqliteTypes.h"

#include <cctype>
#include <string>
#include <vector>

#include "db/Ado.h"

namespace db::sqlite {

namespace {

// Sizes of types without a length: the storage an ODBC driver reports for them;
// long text and blobs as the largest 32-bit length, as drivers report long types.
constexpr std::int32_t kLong = 2147483647;
constexpr std::int32_t kDefaultLength = 255;  // VARCHAR and the like written without (n)

struct Known {
  std::string_view name;
  int type;
  std::int32_t size;  // 0: the declared length, kDefaultLength without one
};

// Declared type names, as an ODBC driver for SQLite reports them.
constexpr Known kKnown[] = {
    {"INT", adInteger, 4},           {"INTEGER", adInteger, 4},
    {"MEDIUMINT", adInteger, 4},     {"INT4", adInteger, 4},
    {"SMALLINT", adSmallInt, 2},     {"INT2", adSmallInt, 2},
    {"TINYINT", adTinyInt, 1},       {"BIGINT", adBigInt, 8},
    {"INT8", adBigInt, 8},           {"UNSIGNED BIG INT", adBigInt, 8},
    {"BOOLEAN", adBoolean, 2},       {"BOOL", adBoolean, 2},
    {"BIT", adBoolean, 2},           {"DATETIME", adDBTimeStamp, 16},
    {"TIMESTAMP", adDBTimeStamp, 16}, {"DATE", adDBDate, 6},
    {"TIME", adDBTime, 6},           {"VARCHAR", adVarChar, 0},
    {"VARCHAR2", adVarChar, 0},      {"CHARACTER VARYING", adVarChar, 0},
    {"VARYING CHARACTER", adVarChar, 0}, {"CHAR", adChar, 0},
    {"CHARACTER", adChar, 0},        {"NVARCHAR", adVarWChar, 0},
    {"NATIONAL VARCHAR", adVarWChar, 0}, {"NATIONAL CHARACTER VARYING", adVarWChar, 0},
    {"NATIONAL CHAR VARYING", adVarWChar, 0}, {"NCHAR", adWChar, 0},
    {"NATIONAL CHARACTER", adWChar, 0}, {"NATIONAL CHAR", adWChar, 0},
    {"NATIVE CHARACTER", adWChar, 0}, {"TEXT", adLongVarChar, kLong},
    {"CLOB", adLongVarChar, kLong},  {"LONGVARCHAR", adLongVarChar, kLong},
    {"MEMO", adLongVarChar, kLong},  {"NTEXT", adLongVarWChar, kLong},
    {"REAL", adDouble, 8},           {"FLOAT", adDouble, 8},
    {"DOUBLE", adDouble, 8},         {"DOUBLE PRECISION", adDouble, 8},
    {"NUMERIC", adNumeric, 19},      {"DECIMAL", adNumeric, 19},
    {"MONEY", adCurrency, 8},        {"CURRENCY", adCurrency, 8},
    {"BLOB", adLongVarBinary, kLong}, {"LONGVARBINARY", adLongVarBinary, kLong},
    {"IMAGE", adLongVarBinary, kLong}, {"VARBINARY", adVarBinary, 0},
    {"BINARY", adBinary, 0},         {"GUID", adGUID, 16},
    {"UUID", adGUID, 16},            {"UNIQUEIDENTIFIER", adGUID, 16},
};

struct Declared {
  std::string name;              // upper case, single blanks, without the (...)
  std::optional<std::int32_t> length;  // the first number in parentheses
};

Declared Split(std::string_view decl) {
  Declared d;
  std::size_t i = 0;
  for (; i < decl.size() && decl[i] != '('; ++i) {
    const auto c = static_cast<unsigned char>(decl[i]);
    if (std::isspace(c)) {
      if (!d.name.empty() && d.name.back() != ' ') d.name += ' ';
    } else {
      d.name += static_cast<char>(std::toupper(c));
    }
  }
  while (!d.name.empty() && d.name.back() == ' ') d.name.pop_back();
  std::int64_t n = 0;
  bool digits = false;
  for (++i; i < decl.size() && std::isdigit(static_cast<unsigned char>(decl[i])) && n <= kLong; ++i) {
    n = n * 10 + (decl[i] - '0');
    digits = true;
  }
  if (digits && n <= kLong) d.length = static_cast<std::int32_t>(n);
  return d;
}

// SQLite's own affinity rules for names outside the table.
TypeInfo ByAffinity(const Declared& d) {
  const auto has = [&](std::string_view part) { return d.name.find(part) != std::string::npos; };
  if (has("INT")) return {adInteger, 4};
  if (has("CHAR") || has("CLOB") || has("TEXT"))
    return d.length ? TypeInfo{adVarChar, *d.length} : TypeInfo{adLongVarChar, kLong};
  if (has("BLOB")) return {adLongVarBinary, kLong};
  if (has("REAL") || has("FLOA") || has("DOUB")) return {adDouble, 8};
  return {adNumeric, 19};
}

bool Digits(std::string_view s, std::size_t at, std::size_t n, int& out) {
  if (at + n > s.size()) return false;
  out = 0;
  for (std::size_t i = at; i < at + n; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

bool ValidDate(int y, int m, int d) {
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) return false;
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m != 2 || d <= 28 || leap;
}

// "HH:MM[:SS[.f...]]" filling the time of `out`; false when anything else is there.
bool ParseTime(std::string_view s, DateTime& out) {
  if (!Digits(s, 0, 2, out.hour) || s.size() < 5 || s[2] != ':' || !Digits(s, 3, 2, out.minute)) return false;
  std::size_t i = 5;
  if (i < s.size()) {
    if (s[i] != ':' || !Digits(s, i + 1, 2, out.second)) return false;
    i += 3;
  }
  if (i < s.size()) {
    const std::size_t digits = s.size() - i - 1;
    int frac = 0;
    if (s[i] != '.' || digits == 0 || digits > 6 || !Digits(s, i + 1, digits, frac)) return false;
    for (std::size_t k = digits; k < 6; ++k) frac *= 10;
    out.microsecond = frac;
  }
  return out.hour < 24 && out.minute < 60 && out.second < 60;
}

// "2024-05-31 13:45:00", "2024-05-31" or "13:45:00": what a DateTime read from the
// text gives back as text, field for field.
bool ShownAsStored(const std::string& s) {
  static constexpr std::string_view kDateTime = "0000-00-00 00:00:00";
  static constexpr std::string_view kTime = "00:00:00";
  const std::string_view shape = s.size() == kDateTime.size() ? kDateTime
                                 : s.size() == 10             ? kDateTime.substr(0, 10)
                                 : s.size() == kTime.size()   ? kTime
                                                              : std::string_view();
  if (shape.empty()) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const bool digit = s[i] >= '0' && s[i] <= '9';
    if (shape[i] == '0' ? !digit : s[i] != shape[i]) return false;
  }
  return true;
}

}  // namespace

TypeInfo TypeFromDeclared(std::string_view declared) {
  const Declared d = Split(declared);
  if (d.name.empty()) return {adVariant, 16};  // an expression, or a column declared without type
  for (const Known& k : kKnown) {
    if (k.name != d.name) continue;
    // NUMERIC(p,s) is as wide as its declared precision, as on every other engine.
    if (k.type == adNumeric && d.length) return {k.type, *d.length};
    if (k.size != 0) return {k.type, k.size};
    return {k.type, d.length.value_or(kDefaultLength)};
  }
  return ByAffinity(d);
}

std::optional<DateTime> ParseDateTime(std::string_view s) {
  DateTime dt;
  if (s.size() >= 5 && s[2] == ':') {
    dt.part = DateTime::Part::Time;
    return ParseTime(s, dt) ? std::optional(dt) : std::nullopt;
  }
  if (!Digits(s, 0, 4, dt.year) || s.size() < 10 || s[4] != '-' || !Digits(s, 5, 2, dt.month) || s[7] != '-' ||
      !Digits(s, 8, 2, dt.day) || !ValidDate(dt.year, dt.month, dt.day))
    return std::nullopt;
  if (s.size() == 10) {
    dt.part = DateTime::Part::Date;
    return dt;
  }
  if (s[10] != ' ' && s[10] != 'T') return std::nullopt;
  dt.part = DateTime::Part::DateTime;
  return ParseTime(s.substr(11), dt) ? std::optional(dt) : std::nullopt;
}

Value Presented(const Value& stored, int type) {
  switch (type) {
    case adBoolean:
      if (stored.Is<std::int64_t>() && (stored.Get<std::int64_t>() == 0 || stored.Get<std::int64_t>() == 1))
        return Value(stored.Get<std::int64_t>() == 1);
      return stored;
    case adDBTimeStamp:
    case adDBDate:
    case adDBTime:
      if (stored.Is<std::string>())
        if (auto dt = ParseDateTime(stored.Get<std::string>())) return Value(*dt);
      return stored;
    default:
      return stored;
  }
}

std::string PresentedText(const Value& stored, int type) {
  const bool date = type == adDBTimeStamp || type == adDBDate || type == adDBTime;
  if (const auto* text = std::get_if<std::string>(&stored.storage()))
    if (!date || ShownAsStored(*text)) return *text;
  if (date || type == adBoolean) return Presented(stored, type).ToText();
  return stored.ToText();
}

Value ForStorage(const Value& v, int type) {
  if (type != adBoolean || !v.Is<std::string>()) return v;
  std::string s;
  for (char c : v.Get<std::string>()) s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (s == "true") return Value(std::int64_t{1});
  if (s == "false") return Value(std::int64_t{0});
  return v;
}

}  // namespace db::sqlite
