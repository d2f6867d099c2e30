#include "db/postgres/PgSession.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <string_view>

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/LayerErrors.h"

namespace db::pg {
namespace {

// How long a silent socket is tolerated beyond Command Timeout before the server is
// taken for gone: long enough for statement_timeout's own error to arrive.
constexpr int kGraceSeconds = 10;
// client_connection_check_interval exists from this server version on.
constexpr int kConnectionCheckVersion = 140000;
// How long a server may take to stop a command after interrupt() before it is given up.
constexpr std::chrono::seconds kCancelGrace{5};
constexpr int kSliceMs = 100;
// invalid_sql_statement_name: a prepared statement the server no longer has.
constexpr std::string_view kNoSuchStatement = "26000";

void IgnoreNotice(void*, const char*) {}

std::vector<const char*> Values(const std::vector<Param>& params) {
  std::vector<const char*> values;
  for (const auto& p : params) values.push_back(p ? p->c_str() : nullptr);
  return values;
}

}  // namespace

Session::Session(const ConnInfo& info, const std::atomic<bool>& interrupted) : commandTimeout_(info.commandTimeout) {
  std::vector<const char*> keys, values;
  for (const auto& [k, v] : info.keywords) {
    keys.push_back(k.c_str());
    values.push_back(v.c_str());
  }
  keys.push_back(nullptr);
  values.push_back(nullptr);
  // expand_dbname = 0: a database name is a name, never a second connection text.
  conn_.reset(PQconnectStartParams(keys.data(), values.data(), 0));
  if (!conn_ || PQstatus(conn_.get()) == CONNECTION_BAD) throw ConnectionError(conn_.get(), "08001", info.password);
  awaitConnection(info, interrupted);
  PQsetNoticeProcessor(conn_.get(), &IgnoreNotice, nullptr);
  cancel_.reset(PQgetCancel(conn_.get()), CancelDeleter{});
  if (!cancel_) throw ConnectionError(conn_.get(), "08001", info.password);
  setUp();
}

Session::~Session() { close(); }

// libpq keeps Connect Timeout only in its blocking connect, which nothing can stop;
// here the same limit is kept while polling.
void Session::awaitConnection(const ConnInfo& info, const std::atomic<bool>& interrupted) {
  using Clock = std::chrono::steady_clock;
  // libpq takes 1 s for 2, which a busy server's first answer needs.
  const int seconds = info.connectTimeout == 1 ? 2 : info.connectTimeout;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
  for (PostgresPollingStatusType state = PGRES_POLLING_WRITING;;) {
    if (state == PGRES_POLLING_OK) return;
    if (state == PGRES_POLLING_FAILED) throw ConnectionError(conn_.get(), "08001", info.password);
    pollfd p{PQsocket(conn_.get()), static_cast<short>(state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
    for (int ready = 0; ready <= 0;) {
      if (interrupted) throw errors::Canceled();
      if (seconds > 0 && Clock::now() >= deadline) throw ConnectTimeoutError(conn_.get(), info.password);
      ready = poll(&p, 1, kSliceMs);
      if (ready < 0 && errno != EINTR) throw ConnectionError(conn_.get(), "08001", info.password);
    }
    state = PQconnectPoll(conn_.get());
  }
}

// Settings the decoding of values relies on, whatever the server's defaults are.
void Session::setUp() {
  std::string sql =
      "SET DateStyle = 'ISO, MDY'; SET IntervalStyle = 'postgres'; SET bytea_output = 'hex';"
      " SET extra_float_digits = 3; SET synchronize_seqscans = off;"
      " SET statement_timeout = " + std::to_string(commandTimeout_ * 1000) + ";";
  // A backend whose client has gone stops its query instead of running on.
  if (PQserverVersion(conn_.get()) >= kConnectionCheckVersion)
    sql += " SET client_connection_check_interval = 10000;";
  runAll(sql);
}

void Session::close() noexcept {
  {
    std::lock_guard lock(cancelMutex_);
    cancel_.reset();
  }
  conn_.reset();
  ahead_.reset();
  prepared_.clear();
  lost_ = false;
}

bool Session::isOpen() const noexcept { return conn_ != nullptr; }

void Session::requireUsable() const {
  if (!conn_) throw errors::InvalidConnection();
  if (lost_ || PQstatus(conn_.get()) == CONNECTION_BAD)
    throw StateError(adErrProviderFailed, "08006",
                     "La connessione al server PostgreSQL è stata persa: chiudere e riaprire la connessione");
}

// A statement sent ahead keeps the status busy, and is only ever sent outside one.
bool Session::inTransaction() const { return !ahead_ && PQtransactionStatus(conn_.get()) != PQTRANS_IDLE; }

void Session::interrupt() noexcept {
  std::shared_ptr<PGcancel> cancel;
  {
    std::lock_guard lock(cancelMutex_);
    if (!cancel_) return;
    cancel = cancel_;
    if (!interrupted_.exchange(true)) interruptedAt_ = std::chrono::steady_clock::now();
  }
  char message[256];
  PQcancel(cancel.get(), message, sizeof message);
}

bool Session::cancelIgnored() const {
  std::lock_guard lock(cancelMutex_);
  return interrupted_ && std::chrono::steady_clock::now() - interruptedAt_ >= kCancelGrace;
}

// Every call starts here: the result of a statement sent ahead is nobody's any more,
// and its failure neither, unless it lost the session.
void Session::begin() {
  settle();
  requireUsable();
  interrupted_ = false;
  started_ = std::chrono::steady_clock::now();
}

void Session::settle() {
  if (!ahead_) return;
  ahead_.reset();
  try {
    collect();
  } catch (const DbError&) {
    if (lost_ || PQstatus(conn_.get()) == CONNECTION_BAD) throw;
  }
}

bool Session::send(const std::string& sql, const std::vector<Param>& params) {
  const std::vector<const char*> values = Values(params);
  return PQsendQueryParams(conn_.get(), sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                           nullptr, nullptr, 0) != 0;
}

ResultPtr Session::run(const std::string& sql, const std::vector<Param>& params) {
  if (ahead_ && ahead_->sql == sql && ahead_->params == params) {
    ahead_.reset();
    requireUsable();
    return collect();
  }
  begin();
  if (!send(sql, params)) failLost();
  return collect();
}

void Session::sendAhead(const std::string& sql, std::vector<Param> params) {
  begin();
  if (inTransaction()) return;
  if (!send(sql, params)) failLost();
  ahead_ = Ahead{sql, std::move(params)};
}

void Session::runAll(const std::string& sql) {
  begin();
  if (!PQsendQuery(conn_.get(), sql.c_str())) failLost();
  collect();
}

// Parse and Describe go out together, with one Sync: one round trip, not two.
ResultPtr Session::describe(const std::string& sql) {
  begin();
  return Second(pipeline([&] {
    return PQsendPrepare(conn_.get(), "", sql.c_str(), 0, nullptr) && PQsendDescribePrepared(conn_.get(), "");
  }));
}

// Prepared on its first use, in the round trip that runs it; prepared again when the
// user's own DEALLOCATE or DISCARD ALL dropped it.
ResultPtr Session::runPrepared(const std::string& name, const std::string& sql, const std::vector<Param>& params) {
  const std::vector<const char*> values = Values(params);
  const int n = static_cast<int>(values.size());
  begin();
  if (prepared_.count(name)) {
    try {
      if (!PQsendQueryPrepared(conn_.get(), name.c_str(), n, values.data(), nullptr, nullptr, 0)) failLost();
      return collect();
    } catch (const DbError& e) {
      if (e.SqlState() != kNoSuchStatement) throw;
      prepared_.erase(name);
    }
  }
  Pipeline piped = pipeline([&] {
    return PQsendPrepare(conn_.get(), name.c_str(), sql.c_str(), n, nullptr) &&
           PQsendQueryPrepared(conn_.get(), name.c_str(), n, values.data(), nullptr, nullptr, 0);
  });
  if (!piped[0].failure) prepared_.insert(name);
  return Second(std::move(piped));
}

// The result of the second request, unless a request failed.
ResultPtr Session::Second(Pipeline&& piped) {
  for (const Piped& o : piped)
    if (o.failure) throw *o.failure;
  return std::move(piped[1].result);
}

// The two requests that `send` queues go out with one Sync. Each one's outcome is read
// before any failure is raised, so that the connection leaves pipeline mode ready for
// the next command; a lost session is raised at once.
Session::Pipeline Session::pipeline(const std::function<bool()>& send) {
  if (!PQenterPipelineMode(conn_.get())) failLost();
  if (!send() || !PQpipelineSync(conn_.get())) failLost();
  Pipeline piped;
  for (Piped& o : piped) {
    try {
      o.result = collect();
    } catch (const DbError& e) {
      if (lost_ || PQstatus(conn_.get()) == CONNECTION_BAD) throw;
      o.failure = e;
    }
  }
  awaitSync();
  return piped;
}

// Reads up to the pipeline's Sync and leaves pipeline mode.
void Session::awaitSync() {
  for (int empty = 0; empty < 2;) {
    awaitInput();
    ResultPtr result(PQgetResult(conn_.get()));
    if (PQstatus(conn_.get()) == CONNECTION_BAD) failLost();
    if (!result) {
      ++empty;
      continue;
    }
    if (PQresultStatus(result.get()) == PGRES_PIPELINE_SYNC) break;
  }
  if (!PQexitPipelineMode(conn_.get())) failLost();
}

// Reads every result of the command; the first failure is raised once the connection
// is ready for the next command again. An empty text is a failure too.
ResultPtr Session::collect() {
  ResultPtr last;
  std::optional<DbError> failure;
  for (;;) {
    awaitInput();
    ResultPtr result(PQgetResult(conn_.get()));
    if (!result) break;
    switch (PQresultStatus(result.get())) {
      case PGRES_COPY_IN:
        PQputCopyEnd(conn_.get(), "COPY FROM STDIN non è supportato da Cartavo");
        break;
      case PGRES_COPY_OUT:
        drainCopyOut();
        break;
      case PGRES_EMPTY_QUERY:
        if (!failure) failure = errors::NoCommand();
        break;
      case PGRES_BAD_RESPONSE:
      case PGRES_FATAL_ERROR:
        if (!failure) failure = ResultError(result.get(), conn_.get(), stopReason());
        break;
      default:
        last = std::move(result);
    }
    if (PQstatus(conn_.get()) == CONNECTION_BAD) break;
  }
  if (failure) throw *failure;
  if (PQstatus(conn_.get()) == CONNECTION_BAD) failLost();
  return last;
}

// Waits for a whole result without blocking for ever; see the header on time limits.
void Session::awaitInput() {
  while (PQisBusy(conn_.get())) {
    awaitSocket();
    if (!PQconsumeInput(conn_.get())) return;  // PQgetResult now reports the failure
  }
}

void Session::awaitSocket() {
  using Clock = std::chrono::steady_clock;
  const long long silenceMs = commandTimeout_ > 0 ? (commandTimeout_ + kGraceSeconds) * 1000LL : -1;
  const Clock::time_point since = Clock::now();
  for (;;) {
    pollfd p{PQsocket(conn_.get()), POLLIN, 0};
    if (p.fd < 0) failLost();
    // In slices, to see an interrupt() that the server does not answer.
    const int ready = poll(&p, 1, kSliceMs);
    if (ready > 0) return;
    if (ready < 0 && errno != EINTR) break;
    if (abandoned_ || cancelIgnored()) {
      lost_ = true;
      ::shutdown(p.fd, SHUT_RDWR);
      throw StateError(adErrOperationCanceled, "08006",
                       std::string(abandoned_ ? "Operazione annullata: la connessione è stata chiusa senza attendere "
                                                "il server PostgreSQL"
                                              : "Operazione annullata: il server PostgreSQL non ha risposto e la "
                                                "connessione è stata chiusa") +
                           "; l'esito del comando non è noto: disconnettersi e riconnettersi",
                       ErrorKind::Cancelled);
    }
    if (silenceMs >= 0 && Clock::now() - since >= std::chrono::milliseconds(silenceMs)) break;
  }
  // The socket stays open until close(): the session is unusable from here on.
  lost_ = true;
  throw StateError(adErrTimeout, "08006",
                   "Il server PostgreSQL non risponde da " + std::to_string(silenceMs / 1000) +
                       " secondi: chiudere e riaprire la connessione",
                   ErrorKind::Timeout);
}

void Session::drainCopyOut() {
  for (;;) {
    char* buffer = nullptr;
    int n = PQgetCopyData(conn_.get(), &buffer, 1);
    if (buffer) PQfreemem(buffer);
    if (n > 0) continue;
    if (n < 0) return;
    awaitSocket();
    if (!PQconsumeInput(conn_.get())) return;
  }
}

void Session::failLost() {
  if (PQstatus(conn_.get()) == CONNECTION_BAD) lost_ = true;
  throw ResultError(nullptr, conn_.get(), StopReason::None);
}

StopReason Session::stopReason() const {
  if (interrupted_) return StopReason::Interrupt;
  auto elapsed = std::chrono::steady_clock::now() - started_;
  if (commandTimeout_ > 0 && elapsed >= std::chrono::milliseconds(commandTimeout_ * 1000 - 100))
    return StopReason::Timeout;
  return StopReason::None;
}

}  // namespace db::pg
