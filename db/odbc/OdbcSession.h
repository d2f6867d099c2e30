#pragma once
// One ODBC connection shared by the provider and its results; once closed, every
// call raises adErrInvalidConnection instead of touching a freed handle.
//
// Time limits: a login time-out of 15 s and a query time-out of 30 s on every
// statement (SQL_ATTR_LOGIN_TIMEOUT / SQL_ATTR_QUERY_TIMEOUT; drivers that ignore
// them are left to their own). Autocommit stays on: no transaction is left open
// between calls, and every statement of a result is closed before the call returns.
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "db/SqlText.h"
#include "db/odbc/OdbcApi.h"

namespace db::odbc {

// What the connected driver and its engine do differently.
struct EngineInfo {
  std::string dbmsName;
  sql::Dialect dialect = sql::kOdbc;
  bool batches = false;      // runs several statements in one call
  // Catalogues are the server's databases and there are no schemas (MySQL, MariaDB):
  // a table is qualified by its catalogue.
  bool catalogsAreDatabases = false;
  std::vector<std::string> systemCatalogs;  // of those, the server's own
};

class Session {
 public:
  // Connects with the text for the driver manager (SQL_DRIVER_NOPROMPT).
  Session(const std::string& text, std::string secret);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void close() noexcept;
  bool isOpen() const noexcept;
  void requireUsable() const;
  const EngineInfo& info() const { return info_; }
  // The database the session is in (SQL_ATTR_CURRENT_CATALOG); empty when none.
  std::string currentCatalog() const;

  // A new statement with the query time-out set.
  StmtHandle statement();
  SQLRETURN check(SQLRETURN rc, SQLHSTMT stmt) const;
  SQLRETURN checkConnection(SQLRETURN rc) const;

  // Runs with stmt registered as the running statement, for interrupt().
  SQLRETURN execDirect(SQLHSTMT stmt, const std::string& sql);
  SQLRETURN fetch(SQLHSTMT stmt);

  // Thread-safe: SQLCancel on the statement that is running, if any.
  void interrupt() noexcept;

  // Autocommit off for the scope when needed; rolled back unless committed, and
  // autocommit on again before the call that made it returns.
  class Transaction {
   public:
    Transaction(Session& s, bool needed);
    ~Transaction();
    void commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

   private:
    Session& s_;
    bool open_;
  };

 private:
  class Running;
  void learnEngine();
  // Runs a call on stmt as the running statement. A failure after interrupt() or
  // past the query time-out gets that number, whatever state the driver chose
  // (PostgreSQL's 57014 serves both).
  template <class Call>
  SQLRETURN run(SQLHSTMT stmt, Call call);

  EnvHandle env_;
  DbcHandle dbc_;
  std::string secret_;
  EngineInfo info_;
  std::mutex mutex_;
  SQLHSTMT running_ = nullptr;
  std::atomic<bool> interrupted_{false};
  std::chrono::steady_clock::time_point started_;
};

}  // namespace db::odbc
