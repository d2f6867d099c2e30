#include "db/odbc/OdbcSession.h"

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/LayerErrors.h"
#include "db/odbc/OdbcError.h"

namespace db::odbc {
namespace {

constexpr SQLULEN kLoginTimeout = 15;
constexpr SQLULEN kQueryTimeout = 30;

std::string InfoText(SQLHDBC dbc, SQLUSMALLINT what) {
  SQLCHAR buffer[256] = {};
  SQLSMALLINT length = 0;
  Check(SQLGetInfo(dbc, what, buffer, sizeof buffer, &length), SQL_HANDLE_DBC, dbc);
  return reinterpret_cast<const char*>(buffer);
}

// A setting a driver may not support (HYC00): without it the connection still works.
template <class F>
void Optional(F set) {
  try {
    set();
  } catch (const DbError&) {
  }
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

// Registers the statement that runs, so interrupt() can cancel it from another thread.
class Session::Running {
 public:
  Running(Session& s, SQLHSTMT stmt) : s_(s) {
    std::lock_guard lock(s_.mutex_);
    s_.running_ = stmt;
    s_.interrupted_ = false;
    s_.started_ = std::chrono::steady_clock::now();
  }
  ~Running() {
    std::lock_guard lock(s_.mutex_);
    s_.running_ = nullptr;
  }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;

 private:
  Session& s_;
};

Session::Session(const std::string& text, std::string secret) : secret_(std::move(secret)) {
  SQLHANDLE h = SQL_NULL_HANDLE;
  Check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h), SQL_HANDLE_ENV, SQL_NULL_HANDLE);
  env_.reset(h);
  Check(SQLSetEnvAttr(env_.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
        SQL_HANDLE_ENV, env_.get());
  Check(SQLAllocHandle(SQL_HANDLE_DBC, env_.get(), &h), SQL_HANDLE_ENV, env_.get());
  dbc_.reset(h);
  Optional([&] {
    checkConnection(SQLSetConnectAttr(dbc_.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(kLoginTimeout), 0));
  });
  std::string in = text;
  Check(SQLDriverConnect(dbc_.get(), nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS, nullptr, 0, nullptr,
                         SQL_DRIVER_NOPROMPT),
        SQL_HANDLE_DBC, dbc_.get(), secret_);
  checkConnection(SQLSetConnectAttr(dbc_.get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0));
  learnEngine();
}

Session::~Session() { close(); }

void Session::learnEngine() {
  info_.dbmsName = InfoText(dbc_.get(), SQL_DBMS_NAME);
  const std::string quote = InfoText(dbc_.get(), SQL_IDENTIFIER_QUOTE_CHAR);
  info_.dialect.identifierQuote = quote.empty() || quote == " " ? '"' : quote[0];
  info_.dialect.placeholders = sql::PlaceholderStyle::Question;
  const std::string& name = info_.dbmsName;
  const bool mysql = name == "MySQL" || StartsWith(name, "MariaDB");
  if (name == "SQLite")
    info_.dialect.nullSafeEquals = "IS";
  else if (mysql) {
    info_.dialect.nullSafeEquals = "<=>";
    info_.dialect.countsChangedRows = true;
    info_.catalogsAreDatabases = true;
    info_.systemCatalogs = {"information_schema", "mysql", "performance_schema", "sys"};
  } else
    info_.dialect.nullSafeEquals = "IS NOT DISTINCT FROM";
  info_.dialect.limitOffset = name == "SQLite" || name == "PostgreSQL" || mysql;
  SQLUINTEGER batch = 0;
  checkConnection(SQLGetInfo(dbc_.get(), SQL_BATCH_SUPPORT, &batch, sizeof batch, nullptr));
  // MariaDB's driver says it runs batches, but does so only with its MULTI_STATEMENTS
  // option; a batch it refuses leaves the connection locked to other threads.
  info_.batches = batch != 0 && !mysql;
  if (name == "PostgreSQL") {
    // OFFSET pages must see one row order: a synchronized scan could start mid-table.
    Optional([&] {
      StmtHandle st = statement();
      execDirect(st.get(), "SET synchronize_seqscans = off");
    });
  }
}

std::string Session::currentCatalog() const {
  requireUsable();
  SQLCHAR buffer[512] = {};
  SQLINTEGER length = 0;
  checkConnection(SQLGetConnectAttr(dbc_.get(), SQL_ATTR_CURRENT_CATALOG, buffer, sizeof buffer, &length));
  return reinterpret_cast<const char*>(buffer);
}

void Session::close() noexcept {
  std::lock_guard lock(mutex_);
  dbc_.reset();
  env_.reset();
}

bool Session::isOpen() const noexcept { return dbc_ != nullptr; }

void Session::requireUsable() const {
  if (!dbc_) throw errors::InvalidConnection();
}

StmtHandle Session::statement() {
  requireUsable();
  SQLHANDLE h = SQL_NULL_HANDLE;
  checkConnection(SQLAllocHandle(SQL_HANDLE_STMT, dbc_.get(), &h));
  StmtHandle st(h);
  Optional([&] { check(SQLSetStmtAttr(h, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(kQueryTimeout), 0), h); });
  return st;
}

SQLRETURN Session::check(SQLRETURN rc, SQLHSTMT stmt) const { return Check(rc, SQL_HANDLE_STMT, stmt, secret_); }

SQLRETURN Session::checkConnection(SQLRETURN rc) const { return Check(rc, SQL_HANDLE_DBC, dbc_.get(), secret_); }

template <class Call>
SQLRETURN Session::run(SQLHSTMT stmt, Call call) {
  Running running(*this, stmt);
  try {
    return check(call(), stmt);
  } catch (const DbError& e) {
    if (interrupted_)
      throw DbError(adErrOperationCanceled, e.Description() + " (operazione annullata)", ErrorKind::Cancelled,
                    e.SqlState(), e.NativeCode());
    if (std::chrono::steady_clock::now() - started_ >= std::chrono::seconds(kQueryTimeout))
      throw DbError(adErrTimeout, e.Description() + " (tempo scaduto: comando annullato dopo 30 secondi)",
                    ErrorKind::Timeout, e.SqlState(), e.NativeCode());
    throw;
  }
}

SQLRETURN Session::execDirect(SQLHSTMT stmt, const std::string& sql) {
  std::string text = sql;
  return run(stmt, [&] {
    return SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
  });
}

SQLRETURN Session::fetch(SQLHSTMT stmt) {
  return run(stmt, [&] { return SQLFetch(stmt); });
}

Session::Transaction::Transaction(Session& s, bool needed) : s_(s), open_(needed) {
  if (open_)
    s_.checkConnection(
        SQLSetConnectAttr(s_.dbc_.get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0));
}

void Session::Transaction::commit() {
  if (!open_) return;
  s_.checkConnection(SQLEndTran(SQL_HANDLE_DBC, s_.dbc_.get(), SQL_COMMIT));
  open_ = false;
  s_.checkConnection(
      SQLSetConnectAttr(s_.dbc_.get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0));
}

Session::Transaction::~Transaction() {
  if (!open_ || !s_.dbc_) return;
  try {
    s_.checkConnection(SQLEndTran(SQL_HANDLE_DBC, s_.dbc_.get(), SQL_ROLLBACK));
    s_.checkConnection(
        SQLSetConnectAttr(s_.dbc_.get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0));
  } catch (const DbError&) {
    // the write's own failure is the one to report
  }
}

void Session::interrupt() noexcept {
  std::lock_guard lock(mutex_);
  if (!running_) return;
  interrupted_ = true;
  SQLCancel(running_);
}

}  // namespace db::odbc
