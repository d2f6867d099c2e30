#pragma once
// The ODBC C API behind RAII handles; included only by the files of this folder.
#include <sql.h>
#include <sqlext.h>

#include <memory>

namespace db::odbc {

struct EnvFree {
  void operator()(SQLHENV h) const noexcept { SQLFreeHandle(SQL_HANDLE_ENV, h); }
};
struct DbcFree {
  // Disconnecting a handle that never connected only fails with 08003: harmless.
  void operator()(SQLHDBC h) const noexcept {
    SQLDisconnect(h);
    SQLFreeHandle(SQL_HANDLE_DBC, h);
  }
};
struct StmtFree {
  void operator()(SQLHSTMT h) const noexcept { SQLFreeHandle(SQL_HANDLE_STMT, h); }
};

using EnvHandle = std::unique_ptr<void, EnvFree>;
using DbcHandle = std::unique_ptr<void, DbcFree>;
using StmtHandle = std::unique_ptr<void, StmtFree>;

}  // namespace db::odbc
