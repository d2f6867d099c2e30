#pragma once
// One libpq connection shared by the provider and its results. Every libpq call of
// the folder goes through here: run() and describe() turn any failure into DbError.
//
// Time limits: Command Timeout becomes the session's statement_timeout, so the server
// itself cancels a runaway command and reports 57014; a server that stops answering
// altogether (dead host, cut network) is caught on the client: when the socket stays
// silent for the timeout plus a grace period the call fails and the session is
// given up (every later call says so until it is closed), instead of freezing the
// window. PQcancel is not tried there: against a dead host it would block itself.
// After interrupt() a server that has not stopped the command within a few seconds is
// given up the same way, and the connection to it shut, so that the command cannot
// go on unseen. Every statement runs in autocommit unless
// the user's own text opens a transaction, so no transaction is left open between
// calls. Every statement that fails reports the server's SQLSTATE (PgError.h).
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "db/postgres/PgConnInfo.h"
#include "db/postgres/PgError.h"
#include "db/postgres/PgLib.h"

namespace db::pg {

using Param = std::optional<std::string>;  // nullopt is SQL NULL

class Session {
 public:
  // Connects by polling, so that `interrupted` (set from another thread) stops the
  // wait for a server that does not answer, as Connect Timeout does.
  Session(const ConnInfo& info, const std::atomic<bool>& interrupted);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void close() noexcept;
  bool isOpen() const noexcept;
  // Raises adErrInvalidConnection once closed, 08006 once the server is gone.
  void requireUsable() const;
  // Inside a transaction block the user's own text opened.
  bool inTransaction() const;

  // One statement with text parameters ($1...); its result (rows or command status).
  ResultPtr run(const std::string& sql, const std::vector<Param>& params = {});
  // The whole text, several statements allowed; no rows are kept.
  void runAll(const std::string& sql);
  // The columns the statement would return, without running it.
  ResultPtr describe(const std::string& sql);
  // run() of a statement the session prepares once under `name`: the server plans it
  // once, not on every call.
  ResultPtr runPrepared(const std::string& name, const std::string& sql, const std::vector<Param>& params);
  // Sends a statement ahead, outside a transaction only: the next run() of the same
  // text and parameters takes its result, the server having worked on it while the
  // caller read the last one. Any other call reads it first and drops it.
  void sendAhead(const std::string& sql, std::vector<Param> params);

  // Thread-safe: asks the server to cancel the running command.
  void interrupt() noexcept;
  // Thread-safe: the running command stops waiting at once and the session is lost;
  // no cancel request is sent, since against a dead host it would block.
  void abandon() noexcept { abandoned_ = true; }

 private:
  void awaitConnection(const ConnInfo& info, const std::atomic<bool>& interrupted);
  void begin();
  void settle();
  bool send(const std::string& sql, const std::vector<Param>& params);
  void setUp();
  struct Piped {
    ResultPtr result;
    std::optional<DbError> failure;
  };
  using Pipeline = std::array<Piped, 2>;
  Pipeline pipeline(const std::function<bool()>& send);
  static ResultPtr Second(Pipeline&& piped);
  ResultPtr collect();
  void awaitSync();
  void awaitInput();
  void awaitSocket();
  void drainCopyOut();
  [[noreturn]] void failLost();
  // interrupt() was asked for long enough ago that the server should have answered.
  bool cancelIgnored() const;
  StopReason stopReason() const;

  ConnPtr conn_;
  // Shared with an interrupt() that may still wait in PQcancel when close() runs.
  std::shared_ptr<PGcancel> cancel_;
  mutable std::mutex cancelMutex_;
  std::atomic<bool> interrupted_{false};
  std::atomic<bool> abandoned_{false};
  std::chrono::steady_clock::time_point interruptedAt_;  // under cancelMutex_
  std::chrono::steady_clock::time_point started_;
  int commandTimeout_ = 0;
  bool lost_ = false;
  struct Ahead {
    std::string sql;
    std::vector<Param> params;
  };
  std::optional<Ahead> ahead_;  // sent, its result not read yet
  std::set<std::string> prepared_;  // statements of runPrepared() the server holds
};

}  // namespace db::pg
