#include "db/odbc/OdbcTypes.h"

#include <algorithm>
#include <charconv>

#include "db/Ado.h"
#include "db/DateText.h"

namespace db::odbc {
namespace {

// Sizes of the types without a length: bytes of the value (OLE DB's for dates),
// the largest 32-bit length for long types, as drivers report them.
constexpr std::int32_t kLongSize = 2147483647;

std::int32_t Length(SQLULEN columnSize) {
  return columnSize == 0 || columnSize > static_cast<SQLULEN>(kLongSize) ? kLongSize : static_cast<std::int32_t>(columnSize);
}

bool IsInteger(SQLSMALLINT t) { return t == SQL_TINYINT || t == SQL_SMALLINT || t == SQL_INTEGER || t == SQL_BIGINT; }
bool IsReal(SQLSMALLINT t) { return t == SQL_REAL || t == SQL_FLOAT || t == SQL_DOUBLE; }
bool IsBinary(SQLSMALLINT t) { return t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY; }

// Reads a value of any length in parts: SQLGetData hands out what fits each time.
template <class Buffer>
bool ReadParts(const Session& s, SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, Buffer& out) {
  constexpr SQLLEN kChunk = 8192;
  const SQLLEN terminator = cType == SQL_C_CHAR ? 1 : 0;
  unsigned char chunk[kChunk + 1];
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc = s.check(SQLGetData(stmt, column, cType, chunk, kChunk + terminator, &indicator), stmt);
    if (rc == SQL_NO_DATA) return true;
    if (indicator == SQL_NULL_DATA) return false;
    const SQLLEN got = indicator == SQL_NO_TOTAL || indicator > kChunk ? kChunk : indicator;
    out.insert(out.end(), chunk, chunk + got);
    if (rc == SQL_SUCCESS) return true;
  }
}

Value ReadText(const Session& s, SQLHSTMT stmt, SQLUSMALLINT column) {
  std::string text;
  if (!ReadParts(s, stmt, column, SQL_C_CHAR, text)) return Value();
  return Value(std::move(text));
}

}  // namespace

// Everything not listed reads as text and is reported as long text (201).
TypeInfo ColumnType(SQLSMALLINT sqlType, SQLULEN columnSize, bool isUnsigned) {
  switch (sqlType) {
    case SQL_BIT: return {adBoolean, 2};
    case SQL_TINYINT: return {isUnsigned ? adUnsignedTinyInt : adTinyInt, 1};
    case SQL_SMALLINT: return {isUnsigned ? adUnsignedSmallInt : adSmallInt, 2};
    case SQL_INTEGER: return {isUnsigned ? adUnsignedInt : adInteger, 4};
    case SQL_BIGINT: return {isUnsigned ? adUnsignedBigInt : adBigInt, 8};
    case SQL_REAL: return {adSingle, 4};
    case SQL_FLOAT: case SQL_DOUBLE: return {adDouble, 8};
    case SQL_DECIMAL: case SQL_NUMERIC: return {adNumeric, Length(columnSize)};
    case SQL_TYPE_DATE: case SQL_DATE: return {adDBDate, 6};
    case SQL_TYPE_TIME: case SQL_TIME: return {adDBTime, 6};
    case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP: return {adDBTimeStamp, 16};
    case SQL_CHAR: return {adChar, Length(columnSize)};
    case SQL_VARCHAR: return {adVarChar, Length(columnSize)};
    case SQL_LONGVARCHAR: return {adLongVarChar, kLongSize};
    case SQL_WCHAR: return {adWChar, Length(columnSize)};
    case SQL_WVARCHAR: return {adVarWChar, Length(columnSize)};
    case SQL_WLONGVARCHAR: return {adLongVarWChar, kLongSize};
    case SQL_BINARY: return {adBinary, Length(columnSize)};
    case SQL_VARBINARY: return {adVarBinary, Length(columnSize)};
    case SQL_LONGVARBINARY: return {adLongVarBinary, kLongSize};
    case SQL_GUID: return {adGUID, 16};
    default: return {adLongVarChar, kLongSize};
  }
}

Value ReadCell(const Session& s, SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT sqlType) {
  if (IsReal(sqlType)) {
    double d = 0;
    SQLLEN indicator = 0;
    s.check(SQLGetData(stmt, column, SQL_C_DOUBLE, &d, sizeof d, &indicator), stmt);
    return indicator == SQL_NULL_DATA ? Value() : Value(d);
  }
  if (IsBinary(sqlType)) {
    Bytes bytes;
    if (!ReadParts(s, stmt, column, SQL_C_BINARY, bytes)) return Value();
    return Value(std::move(bytes));
  }
  Value text = ReadText(s, stmt, column);
  // MariaDB's driver hands a BIT(1) over as its byte, not as a digit.
  if (sqlType == SQL_BIT && text.Is<std::string>() && text.Get<std::string>().size() == 1 &&
      static_cast<unsigned char>(text.Get<std::string>()[0]) <= 1)
    return Value(std::int64_t{text.Get<std::string>()[0]});
  if (IsInteger(sqlType) && text.Is<std::string>()) {
    const std::string& t = text.Get<std::string>();
    std::int64_t n = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (ec == std::errc() && end == t.data() + t.size()) return Value(n);
  }
  return text;
}

Value Presented(const Value& cell, int type) {
  if (type == adBoolean) {
    if (cell.Is<std::int64_t>() && (cell.Get<std::int64_t>() == 0 || cell.Get<std::int64_t>() == 1))
      return Value(cell.Get<std::int64_t>() == 1);
    if (cell.Is<std::string>()) {
      const std::string& t = cell.Get<std::string>();
      if (t == "1" || t == "t" || t == "true") return Value(true);
      if (t == "0" || t == "f" || t == "false") return Value(false);
    }
  }
  if ((type == adDBDate || type == adDBTime || type == adDBTimeStamp) && cell.Is<std::string>())
    if (auto dt = ParseDateText(cell.Get<std::string>())) return Value(*dt);
  return cell;
}

void Parameters::bind(const Session& s, SQLHSTMT stmt, const Value& v, const SqlType& column) {
  SQLSMALLINT cType = SQL_C_CHAR;
  SQLPOINTER data = nullptr;
  SQLLEN length = 0;
  if (v.IsNull()) {
    indicators_.push_back(SQL_NULL_DATA);
  } else if (v.Is<std::int64_t>()) {
    cType = SQL_C_SBIGINT;
    data = &integers_.emplace_back(v.Get<std::int64_t>());
    indicators_.push_back(0);
  } else if (v.Is<double>()) {
    cType = SQL_C_DOUBLE;
    data = &reals_.emplace_back(v.Get<double>());
    indicators_.push_back(0);
  } else if (v.Is<bool>()) {
    cType = SQL_C_BIT;
    data = &bits_.emplace_back(v.Get<bool>() ? 1 : 0);
    indicators_.push_back(0);
  } else if (v.Is<Bytes>()) {
    cType = SQL_C_BINARY;
    const Bytes& b = v.Get<Bytes>();
    std::string& buffer = texts_.emplace_back(b.begin(), b.end());
    data = buffer.data();
    length = static_cast<SQLLEN>(buffer.size());
    indicators_.push_back(length);
  } else {  // text, and dates and times as ISO text: the driver converts to the column's type
    std::string& buffer = texts_.emplace_back(v.ToText());
    data = buffer.data();
    length = static_cast<SQLLEN>(buffer.size());
    indicators_.push_back(length);
  }
  // Never shorter than the value: the engine, not a silent cut, judges what fits.
  const SQLULEN size = std::max<SQLULEN>({column.size, static_cast<SQLULEN>(length), 1});
  s.check(SQLBindParameter(stmt, next_++, SQL_PARAM_INPUT, cType, column.type, size, column.digits, data, length,
                           &indicators_.back()),
          stmt);
}

}  // namespace db::odbc
