#pragma once
// PostgreSQL types in the ADO numbering, and values between libpq's text format and Value.
#include <cstdint>
#include <optional>
#include <string>

#include "db/Value.h"
#include "db/postgres/PgLib.h"

namespace db::pg {

// Type OIDs of the built-in types this folder treats specially (pg_type.dat).
enum TypeOid : Oid {
  kBool = 16, kBytea = 17, kChar = 18, kName = 19, kInt8 = 20, kInt2 = 21, kInt4 = 23,
  kText = 25, kOid = 26, kJson = 114, kXml = 142, kPoint = 600, kLseg = 601, kPath = 602,
  kBox = 603, kPolygon = 604, kLine = 628, kFloat4 = 700, kFloat8 = 701, kUnknown = 705,
  kCircle = 718, kMoney = 790, kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTime = 1083,
  kTimestamp = 1114, kTimestampTz = 1184, kInterval = 1186, kTimeTz = 1266,
  kNumeric = 1700, kUuid = 2950, kJsonb = 3802,
};

struct TypeInfo {
  int type;            // DataTypeEnum
  std::int32_t size;   // DefinedSize
};

// From the column's type OID and type modifier (PQftype, PQfmod).
TypeInfo ColumnType(Oid oid, int typmod);

// A value in text format (DateStyle ISO, bytea hex) as the column's type reads it;
// text that does not parse stays text, so nothing is lost.
Value Decode(Oid oid, const char* text, int length);

// A value as a text parameter for the server's input functions; nullopt for NULL.
std::optional<std::string> Encode(const Value& value);

// Types without an equality operator: compared through their text form.
bool LacksEquality(Oid oid);

}  // namespace db::pg
