#include "db/odbc/OdbcError.h"

#include <string>

#include "db/Ado.h"
#include "db/ErrorText.h"

namespace db::odbc {
namespace {

long NumberFor(std::string_view state, SQLINTEGER native) {
  if (state == "HY008") return adErrOperationCanceled;
  if (state == "HYT00" || state == "HYT01") return adErrTimeout;
  return native != 0 ? native : adErrProviderFailed;
}

}  // namespace

DbError Diagnostics(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view secret) {
  std::string text, firstState;
  long number = 0;
  SQLINTEGER firstNative = 0;
  SQLCHAR state[6] = {};
  SQLCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  for (SQLSMALLINT i = 1; handle && SQLGetDiagRec(handleType, handle, i, state, &native, message, sizeof message,
                                                   &length) == SQL_SUCCESS; ++i) {
    const std::string_view s(reinterpret_cast<const char*>(state));
    if (i == 1) {
      number = NumberFor(s, native);
      firstState = s;
      firstNative = native;
    }
    if (!text.empty()) text += ' ';
    text += "[" + std::string(s) + "] " + OneLine(reinterpret_cast<const char*>(message));
  }
  if (text.empty()) {
    number = adErrProviderFailed;
    text = rc == SQL_INVALID_HANDLE ? "Handle ODBC non valido" : "Errore ODBC senza diagnostica (codice " + std::to_string(rc) + ")";
  }
  return DbError(number, Scrub(std::move(text), secret), KindOfSqlState(firstState), firstState, firstNative);
}

SQLRETURN Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view secret) {
  if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return rc;
  throw Diagnostics(rc, handleType, handle, secret);
}

}  // namespace db::odbc
