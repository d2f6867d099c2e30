#include "db/sqlite/SqliteSession.h"

#include <sqlite3.h>

#include <cctype>
#include <climits>
#include <thread>

#include "db/ConnectionString.h"
#include "db/LayerErrors.h"

namespace db::sqlite {

namespace {

// How long a statement waits for a lock that another connection holds.
constexpr std::chrono::milliseconds kBusyTimeout{5000};
constexpr std::chrono::milliseconds kBusyStep{10};
constexpr int kMinimumVersion = 3037000;  // pragma_table_list; RETURNING needs 3.35

// Create=Yes asks for a new file when none exists. Without it a mistyped path is
// an error instead of a new, empty database left behind.
bool WantsCreate(const ConnectionString& cs) {
  const auto v = cs.Get("Create");
  if (!v) return false;
  std::string s;
  for (char c : *v) s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (s == "yes" || s == "true" || s == "1" || s == "si" || s == "sì") return true;
  if (s == "no" || s == "false" || s == "0" || s.empty()) return false;
  throw errors::InvalidArgument("Create=" + *v + " (ammessi: Yes, No)");
}

ErrorKind KindOf(int primary) {
  switch (primary) {
    case SQLITE_CONSTRAINT: return ErrorKind::Constraint;
    case SQLITE_READONLY: return ErrorKind::ReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ErrorKind::Busy;
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG: return ErrorKind::InvalidValue;
    // The engine's code for a statement it cannot prepare as written; faults while
    // running give it seldom.
    case SQLITE_ERROR: return ErrorKind::Syntax;
    default: return ErrorKind::Other;
  }
}

}  // namespace

void StatementFinalizer::operator()(sqlite3_stmt* s) const noexcept { sqlite3_finalize(s); }

void Session::Closer::operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }

std::shared_ptr<Session> Session::Open(const ConnectionString& cs) {
  if (sqlite3_libversion_number() < kMinimumVersion)
    throw DbError(adErrProviderFailed, std::string("Versione di SQLite troppo vecchia: ") + sqlite3_libversion());
  const auto path = cs.GetAny({"Data Source", "Database"});
  if (!path || path->empty())
    throw errors::InvalidArgument("manca Data Source (il file del database SQLite) nella stringa di connessione");
  const bool create = WantsCreate(cs);

  auto s = std::make_shared<Session>(Tag{});
  sqlite3* raw = nullptr;
  // One thread uses the handle (sqlite3_interrupt needs no lock), so the engine's
  // own mutex, taken by every column read, is left out.
  const int flags =
      SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path->c_str(), &raw, flags, nullptr);
  s->db_.reset(raw);  // a failed open still gives a handle to close
  try {
    s->check(rc);
    sqlite3_extended_result_codes(raw, 1);
    s->check(sqlite3_busy_handler(raw, &Session::WaitForLock, s.get()));
    s->exec("SELECT 1 FROM sqlite_schema LIMIT 1");  // a file that is no database fails here, not later
  } catch (const DbError& e) {
    std::string hint = (rc & 0xff) == SQLITE_CANTOPEN && !create ? " (per creare un database nuovo: Create=Yes)" : "";
    throw DbError(e.Number(), "Impossibile aprire il database \"" + *path + "\": " + e.Description() + hint,
                  e.Kind(), e.SqlState(), e.NativeCode());
  }
  return s;
}

Session::~Session() = default;

void Session::close() noexcept {
  std::lock_guard lock(mutex_);
  db_.reset();  // sqlite3_close_v2: statements still held by results are finalized later
}

void Session::interrupt() noexcept {
  std::lock_guard lock(mutex_);
  stopWaiting_ = true;
  if (db_) sqlite3_interrupt(db_.get());
}

int Session::WaitForLock(void* self, int count) noexcept {
  auto* s = static_cast<Session*>(self);
  const auto now = std::chrono::steady_clock::now();
  // A request from before this wait began was meant for something that has ended.
  if (count == 0) {
    s->waitingSince_ = now;
    s->stopWaiting_ = false;
  }
  if (s->stopWaiting_) {
    s->waitStopped_ = true;
    return 0;
  }
  if (now - s->waitingSince_ >= kBusyTimeout) return 0;
  std::this_thread::sleep_for(kBusyStep);
  return 1;
}

void Session::requireInPlace() const {
  int moved = 0;
  const int rc = sqlite3_file_control(db(), "main", SQLITE_FCNTL_HAS_MOVED, &moved);
  if (rc == SQLITE_NOTFOUND) return;  // an in-memory database has no file to lose
  check(rc);
  if (moved)
    throw DbError(SQLITE_READONLY_DBMOVED,
                  "Il file del database è stato eliminato, spostato o sostituito dopo l'apertura della connessione: "
                  "disconnettersi e riconnettersi",
                  ErrorKind::ReadOnly, "", SQLITE_READONLY_DBMOVED);
}

sqlite3* Session::db() const {
  if (!db_) throw errors::InvalidConnection();
  return db_.get();
}

int Session::check(int rc) const {
  const int primary = rc & 0xff;
  if (primary == SQLITE_OK || primary == SQLITE_ROW || primary == SQLITE_DONE) return rc;
  if (primary == SQLITE_INTERRUPT || (primary == SQLITE_BUSY && waitStopped_.exchange(false))) throw errors::Canceled();
  int number = rc;
  std::string message = sqlite3_errstr(rc);
  if (db_) {
    const int extended = sqlite3_extended_errcode(db_.get());
    if ((extended & 0xff) == primary) number = extended;
    message = sqlite3_errmsg(db_.get());
  }
  throw DbError(number, message, KindOf(primary), "", number);
}

Statement Session::prepare(std::string_view sql, std::string_view* tail) const {
  sqlite3* handle = db();
  if (sql.size() > INT_MAX) check(SQLITE_TOOBIG);
  sqlite3_stmt* raw = nullptr;
  const char* rest = nullptr;
  const int rc = sqlite3_prepare_v2(handle, sql.data(), static_cast<int>(sql.size()), &raw, &rest);
  Statement stmt(raw);
  check(rc);
  if (tail) *tail = sql.substr(static_cast<std::size_t>(rest - sql.data()));
  return stmt;
}

void Session::exec(const std::string& sql) const {
  std::string_view rest = sql;
  while (!rest.empty()) {
    Statement stmt = prepare(rest, &rest);
    if (!stmt) continue;
    while (check(sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
  }
}

namespace {
struct Binder {
  sqlite3_stmt* stmt;
  int i;
  int operator()(Null) const { return sqlite3_bind_null(stmt, i); }
  int operator()(std::int64_t v) const { return sqlite3_bind_int64(stmt, i, v); }
  int operator()(double v) const { return sqlite3_bind_double(stmt, i, v); }
  int operator()(bool v) const { return sqlite3_bind_int64(stmt, i, v ? 1 : 0); }
  int operator()(const std::string& v) const {
    return sqlite3_bind_text64(stmt, i, v.data(), v.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  }
  // An empty blob is bound as such; a null pointer would bind NULL.
  int operator()(const Bytes& v) const {
    if (v.empty()) return sqlite3_bind_zeroblob(stmt, i, 0);
    return sqlite3_bind_blob64(stmt, i, v.data(), v.size(), SQLITE_TRANSIENT);
  }
  int operator()(const DateTime&) const { return SQLITE_MISUSE; }
};
}  // namespace

void Bind(const Session& s, sqlite3_stmt* stmt, int index, const Value& v) {
  if (v.Is<DateTime>()) {
    const std::string text = v.ToText();  // ISO 8601, what SQLite's date functions read
    s.check(sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    return;
  }
  s.check(std::visit(Binder{stmt, index}, v.storage()));
}

Value ReadCell(sqlite3_stmt* stmt, int column) {
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: return Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT: return Value(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
      return Value(std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column))));
    }
    case SQLITE_BLOB: {
      const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt, column));
      const auto n = static_cast<std::size_t>(sqlite3_column_bytes(stmt, column));
      return Value(n ? Bytes(p, p + n) : Bytes{});
    }
    default: return Value();
  }
}

ResetOnExit::~ResetOnExit() { sqlite3_reset(s_); }

}  // namespace db::sqlite
