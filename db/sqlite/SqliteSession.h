#pragma once
// One open SQLite database, shared by the provider and every result it made, so a
// result outlives the connection safely: once closed, every call raises
// adErrInvalidConnection instead of touching the handle. Private to db/sqlite; the
// engine's structs are only declared here, its header stays in the .cpp files.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "db/Value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace db {
class ConnectionString;
}

namespace db::sqlite {

struct StatementFinalizer {
  void operator()(sqlite3_stmt* s) const noexcept;
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

class Session {
  struct Tag {};

 public:
  explicit Session(Tag) {}
  // Opens the file of Data Source; raises DbError when it cannot (a missing file is
  // created only with Create=Yes).
  static std::shared_ptr<Session> Open(const ConnectionString& cs);
  ~Session();

  bool isOpen() const noexcept { return db_ != nullptr; }
  void close() noexcept;
  // Stops the running statement, and a wait for another process's lock.
  void interrupt() noexcept;
  // Raises DbError when the file was deleted, renamed or replaced since it was
  // opened: the engine would go on reading the old copy and refuse only writes.
  void requireInPlace() const;
  // The handle; raises adErrInvalidConnection once closed.
  sqlite3* db() const;

  // The one check of engine calls: a failing result code becomes DbError with the
  // extended code as number and native code, its kind and the engine's message.
  int check(int rc) const;

  // One statement; `tail` receives what follows it in the text.
  Statement prepare(std::string_view sql, std::string_view* tail = nullptr) const;
  // Runs a statement of the layer's own that returns no rows of interest.
  void exec(const std::string& sql) const;

 private:
  struct Closer {
    void operator()(sqlite3* db) const noexcept;
  };
  // The engine's busy timeout sleeps through sqlite3_interrupt: this waits in short
  // steps and gives up as soon as interrupt() asks.
  static int WaitForLock(void* self, int count) noexcept;

  std::unique_ptr<sqlite3, Closer> db_;
  mutable std::mutex mutex_;  // interrupt() may come from another thread while close() runs
  std::chrono::steady_clock::time_point waitingSince_;
  std::atomic<bool> stopWaiting_{false};          // set by interrupt()
  mutable std::atomic<bool> waitStopped_{false};  // the last lock wait ended on interrupt()
};

// Statement helpers over the engine's column and bind calls.
void Bind(const Session& s, sqlite3_stmt* stmt, int index, const Value& v);
Value ReadCell(sqlite3_stmt* stmt, int column);
// Resets the statement when leaving a scope, which ends its read transaction.
class ResetOnExit {
 public:
  explicit ResetOnExit(sqlite3_stmt* s) : s_(s) {}
  ~ResetOnExit();
  ResetOnExit(const ResetOnExit&) = delete;
  ResetOnExit& operator=(const ResetOnExit&) = delete;

 private:
  sqlite3_stmt* s_;
};

}  // namespace db::sqlite
