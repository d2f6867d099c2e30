#pragma once
// ODBC SQL types in the ADO numbering, cells read with SQLGetData, and parameters.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "db/Value.h"
#include "db/odbc/OdbcApi.h"
#include "db/odbc/OdbcSession.h"

namespace db::odbc {

// A column as SQLDescribeCol tells it.
struct SqlType {
  SQLSMALLINT type = SQL_VARCHAR;
  SQLULEN size = 0;
  SQLSMALLINT digits = 0;
};

struct TypeInfo {
  int type;            // DataTypeEnum
  std::int32_t size;   // DefinedSize
};

// From the column's SQL type and column size (SQLDescribeCol).
TypeInfo ColumnType(SQLSMALLINT sqlType, SQLULEN columnSize, bool isUnsigned);

// A cell as the driver gives it, read in the form that loses least: integers as
// their digits (to int64 when they fit), floating point as double, binary as bytes,
// everything else as the driver's text. Column is 1-based.
Value ReadCell(const Session& s, SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT sqlType);

// A cell as the caller sees it: a boolean column's 1/0 as a boolean, ISO text of a
// date or time column as DateTime; anything that does not read so stays as it is.
Value Presented(const Value& cell, int type);

// Parameters bound to a statement; the buffers live as long as this object.
class Parameters {
 public:
  // The value as the next parameter, typed as the column it is compared with or
  // written to; the driver converts.
  void bind(const Session& s, SQLHSTMT stmt, const Value& v, const SqlType& column);

 private:
  std::deque<std::string> texts_;
  std::deque<std::int64_t> integers_;
  std::deque<double> reals_;
  std::deque<unsigned char> bits_;
  std::deque<SQLLEN> indicators_;
  SQLUSMALLINT next_ = 1;
};

}  // namespace db::odbc
