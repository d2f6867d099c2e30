#pragma once
// The one check of ODBC calls. A failure becomes DbError with the driver's
// diagnostic records, "[SQLSTATE] message" each, and the first record's native
// error number, or adErrProviderFailed when that is 0. Two states get the layer's
// own numbers: HY008 (canceled) adErrOperationCanceled, HYT00/HYT01 (time-out)
// adErrTimeout. The kind follows from the first record's SQLSTATE (KindOfSqlState).
#include <string_view>

#include "db/DbError.h"
#include "db/odbc/OdbcApi.h"

namespace db::odbc {

// Returns rc for success, success with information and SQL_NO_DATA; raises otherwise.
// secret: text never to show (the password of the connection text).
SQLRETURN Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view secret = {});

DbError Diagnostics(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view secret = {});

}  // namespace db::odbc
