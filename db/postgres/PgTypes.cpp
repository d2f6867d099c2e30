#include "db/postgres/PgTypes.h"

#include <charconv>
#include <string_view>

#include "db/Ado.h"
#include "db/DateText.h"

namespace db::pg {
namespace {

// Sizes of the types without a declared length: bytes for numbers and OLE DB's date
// structures, the ODBC convention (2^31 - 1) for text and binary without a limit.
constexpr std::int32_t kLongSize = 2147483647;
constexpr std::int32_t kVarHeader = 4;        // typmod of varchar(n) / bpchar(n) is n + 4
constexpr std::int32_t kNumericMaxPrecision = 1000;
constexpr std::int32_t kNameLength = 63;

std::int32_t DeclaredLength(int typmod) { return typmod >= kVarHeader ? typmod - kVarHeader : kLongSize; }

std::int32_t NumericPrecision(int typmod) {
  return typmod >= kVarHeader ? ((typmod - kVarHeader) >> 16) & 0xffff : kNumericMaxPrecision;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<Bytes> ParseHexBytes(std::string_view s) {
  if (s.size() < 2 || s[0] != '\\' || s[1] != 'x' || s.size() % 2 != 0) return std::nullopt;
  Bytes out;
  out.reserve((s.size() - 2) / 2);
  for (std::size_t i = 2; i < s.size(); i += 2) {
    int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return out;
}

template <class T>
std::optional<T> ParseNumber(std::string_view s) {
  T v{};
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

std::string FormatBytes(const Bytes& bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\\x";
  for (auto b : bytes) {
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
  }
  return out;
}

}  // namespace

// Everything not listed reads as text and is reported as long text (201).
TypeInfo ColumnType(Oid oid, int typmod) {
  switch (oid) {
    case kInt2: return {adSmallInt, 2};
    case kInt4: return {adInteger, 4};
    case kInt8: return {adBigInt, 8};
    case kOid: return {adUnsignedInt, 4};
    case kBool: return {adBoolean, 2};
    case kFloat4: return {adSingle, 4};
    case kFloat8: return {adDouble, 8};
    case kNumeric: return {adNumeric, NumericPrecision(typmod)};
    case kMoney: return {adCurrency, 8};
    case kDate: return {adDBDate, 6};
    case kTime: return {adDBTime, 6};
    case kTimeTz: return {adDBTime, 6};
    case kTimestamp: return {adDBTimeStamp, 16};
    case kTimestampTz: return {adDBTimeStamp, 16};
    case kVarchar: return {adVarChar, DeclaredLength(typmod)};
    case kBpchar: return {adChar, DeclaredLength(typmod)};
    case kChar: return {adChar, 1};
    case kName: return {adVarChar, kNameLength};
    case kBytea: return {adLongVarBinary, kLongSize};
    case kUuid: return {adGUID, 16};
    default: return {adLongVarChar, kLongSize};
  }
}

Value Decode(Oid oid, const char* text, int length) {
  std::string_view s(text, static_cast<std::size_t>(length));
  std::optional<Value> v;
  switch (oid) {
    case kInt2: case kInt4: case kInt8: case kOid:
      if (auto n = ParseNumber<std::int64_t>(s)) v = Value(*n);
      break;
    case kFloat4: case kFloat8:
      if (auto d = ParseNumber<double>(s)) v = Value(*d);
      break;
    case kBool:
      if (s == "t" || s == "f") v = Value(s == "t");
      break;
    case kDate: case kTime: case kTimeTz: case kTimestamp: case kTimestampTz:
      // The zone of timestamptz/timetz is dropped: the session's local time is shown.
      if (auto dt = ParseDateText(s, oid == kTimestampTz || oid == kTimeTz)) v = Value(*dt);
      break;
    case kBytea:
      if (auto b = ParseHexBytes(s)) v = Value(std::move(*b));
      break;
    default:
      break;
  }
  return v ? std::move(*v) : Value(std::string(s));
}

std::optional<std::string> Encode(const Value& value) {
  struct Visitor {
    std::optional<std::string> operator()(Null) const { return std::nullopt; }
    std::optional<std::string> operator()(std::int64_t n) const { return std::to_string(n); }
    std::optional<std::string> operator()(double d) const {
      char buffer[32];
      auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
      return std::string(buffer, end);
    }
    std::optional<std::string> operator()(const std::string& s) const { return s; }
    std::optional<std::string> operator()(const Bytes& b) const { return FormatBytes(b); }
    std::optional<std::string> operator()(bool b) const { return std::string(b ? "true" : "false"); }
    std::optional<std::string> operator()(const DateTime& dt) const { return Value(dt).ToText(); }
  };
  return std::visit(Visitor{}, value.storage());
}

bool LacksEquality(Oid oid) {
  switch (oid) {
    case kJson: case kXml: case kPoint: case kLseg: case kPath: case kPolygon: case kLine:
    case kBox: case kCircle:
      return true;
    default:
      return false;
  }
}

}  // namespace db::pg
