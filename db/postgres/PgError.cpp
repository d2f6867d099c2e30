#include "db/postgres/PgError.h"

#include "db/Ado.h"
#include "db/ErrorText.h"

namespace db::pg {
namespace {

constexpr std::string_view kQueryCanceled = "57014";

std::string Field(const PGresult* result, int code) {
  const char* text = result ? PQresultErrorField(result, code) : nullptr;
  return text ? OneLine(text) : std::string();
}

// The engine's failure with its SQLSTATE, which the kind follows from.
DbError Failure(long number, std::string text, std::string_view sqlstate,
                ErrorKind kind = ErrorKind::Other) {
  if (kind == ErrorKind::Other) kind = KindOfSqlState(sqlstate);
  return DbError(number, std::move(text), kind, std::string(sqlstate), 0);
}

std::string Bracketed(std::string_view sqlstate, std::string_view message) {
  std::string text;
  if (!sqlstate.empty()) text.append("[").append(sqlstate).append("] ");
  return text.append(message);
}

}  // namespace

DbError ResultError(const PGresult* result, const PGconn* conn, StopReason reason) {
  std::string sqlstate = Field(result, PG_DIAG_SQLSTATE);
  std::string primary = Field(result, PG_DIAG_MESSAGE_PRIMARY);
  if (primary.empty()) {
    // libpq's own failure (lost connection, protocol trouble): no fields, only a message.
    const char* message = result ? PQresultErrorMessage(result) : "";
    if (!*message && conn) message = PQerrorMessage(conn);
    bool lost = conn && PQstatus(conn) == CONNECTION_BAD;
    const std::string_view state = lost ? "08006" : "";
    return Failure(adErrProviderFailed, Bracketed(state, OneLine(message)), state);
  }
  std::string text = Bracketed(sqlstate, Field(result, PG_DIAG_SEVERITY) + ": " + primary);
  if (auto detail = Field(result, PG_DIAG_MESSAGE_DETAIL); !detail.empty()) text += " DETAIL: " + detail;
  if (auto hint = Field(result, PG_DIAG_MESSAGE_HINT); !hint.empty()) text += " HINT: " + hint;
  if (sqlstate == kQueryCanceled && reason == StopReason::Timeout)
    return Failure(adErrTimeout, text + " (tempo scaduto: comando annullato dopo Command Timeout)", sqlstate,
                   ErrorKind::Timeout);
  if (sqlstate == kQueryCanceled && reason == StopReason::Interrupt)
    return Failure(adErrOperationCanceled, text + " (operazione annullata)", sqlstate);
  return Failure(adErrProviderFailed, text, sqlstate);
}

DbError ConnectionError(const PGconn* conn, std::string_view sqlstate, std::string_view secret) {
  std::string message = conn ? OneLine(PQerrorMessage(conn)) : "memoria esaurita";
  return Failure(adErrProviderFailed, Scrub(Bracketed(sqlstate, message), secret), sqlstate);
}

DbError StateError(long number, std::string_view sqlstate, std::string_view text, ErrorKind kind) {
  return Failure(number, Bracketed(sqlstate, text), sqlstate, kind);
}

DbError ConnectTimeoutError(const PGconn* conn, std::string_view secret) {
  const std::string host = PQhost(conn) ? PQhost(conn) : "";
  const std::string port = PQport(conn) ? PQport(conn) : "";
  const std::string server = !host.empty() && host.front() == '/'
                                 ? "on socket \"" + host + "/.s.PGSQL." + port + "\""
                                 : "at \"" + host + "\", port " + port;
  return Failure(adErrProviderFailed,
                 Scrub(Bracketed("08001", "connection to server " + server + " failed: timeout expired"), secret),
                 "08001");
}

}  // namespace db::pg
