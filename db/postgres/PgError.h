#pragma once
// How PostgreSQL failures become DbError. Numbers:
//   adErrProviderFailed    every error the server or libpq reports; the description
//                          starts with the SQLSTATE in brackets, "[42P01] ERROR: ...";
//                          libpq's own failures carry 08001 (cannot connect) or 08006
//                          (connection lost), which libpq does not set itself.
//   adErrTimeout           the command ran past Command Timeout and was stopped.
//   adErrOperationCanceled the command was stopped by interrupt().
// The kind follows from the SQLSTATE (KindOfSqlState), Timeout for the time-out.
#include <string>
#include <string_view>

#include "db/DbError.h"
#include "db/postgres/PgLib.h"

namespace db::pg {

// Why a running command was asked to stop, to tell a cancellation from a fault.
enum class StopReason { None, Timeout, Interrupt };

// A failed result: the server's diagnostic fields, or libpq's message.
DbError ResultError(const PGresult* result, const PGconn* conn, StopReason reason);
// A failure without a result (connecting, sending, a lost connection).
DbError ConnectionError(const PGconn* conn, std::string_view sqlstate, std::string_view secret);
// The layer's own words for a failure the SQLSTATE stands for; the kind follows from
// it unless given.
DbError StateError(long number, std::string_view sqlstate, std::string_view text,
                   ErrorKind kind = ErrorKind::Other);
// Connect Timeout met while connecting, in libpq's own words for it.
DbError ConnectTimeoutError(const PGconn* conn, std::string_view secret);

}  // namespace db::pg
