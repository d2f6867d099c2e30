#include "db/odbc/OdbcCatalog.h"

#include <sql.h>
#include <sqlext.h>

#include <memory>

#include "db/Ado.h"
#include "db/DbError.h"

namespace db {
namespace {

struct EnvDeleter {
  void operator()(SQLHENV env) const noexcept { SQLFreeHandle(SQL_HANDLE_ENV, env); }
};
using EnvHandle = std::unique_ptr<void, EnvDeleter>;

// SQL_NO_DATA ends a listing; any other failure becomes an error.
bool Check(SQLRETURN rc, const char* what) {
  if (rc == SQL_NO_DATA) return false;
  if (!SQL_SUCCEEDED(rc))
    throw DbError(adErrProviderFailed, std::string("Gestore ODBC non disponibile (") + what + ")");
  return true;
}

EnvHandle OpenEnvironment() {
  SQLHENV env = SQL_NULL_HENV;
  Check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), "SQLAllocHandle");
  EnvHandle handle(env);
  Check(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
        "SQLSetEnvAttr");
  return handle;
}

std::string Text(const SQLCHAR* buffer) { return reinterpret_cast<const char*>(buffer); }

}  // namespace

std::vector<std::string> OdbcDrivers() {
  EnvHandle env = OpenEnvironment();
  std::vector<std::string> drivers;
  SQLCHAR name[512], attributes[2048];
  SQLSMALLINT nameLength = 0, attributesLength = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (Check(SQLDrivers(env.get(), direction, name, sizeof name, &nameLength, attributes,
                          sizeof attributes, &attributesLength),
               "SQLDrivers")) {
    drivers.push_back(Text(name));
    direction = SQL_FETCH_NEXT;
  }
  return drivers;
}

std::vector<OdbcDataSource> OdbcDataSources() {
  EnvHandle env = OpenEnvironment();
  std::vector<OdbcDataSource> sources;
  SQLCHAR name[SQL_MAX_DSN_LENGTH + 1], driver[512];
  SQLSMALLINT nameLength = 0, driverLength = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (Check(SQLDataSources(env.get(), direction, name, sizeof name, &nameLength, driver,
                              sizeof driver, &driverLength),
               "SQLDataSources")) {
    sources.push_back({Text(name), Text(driver)});
    direction = SQL_FETCH_NEXT;
  }
  return sources;
}

}  // namespace db
