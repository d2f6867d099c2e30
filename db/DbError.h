#pragma once
#include <stdexcept>
#include <string>

namespace db {

// What a caller may decide on. Set where the error is made, from the engine's own
// code, so that no caller reads meaning into numbers, which differ per engine.
enum class ErrorKind {
  Other,
  NoCurrentRecord,   // BOF or EOF
  ItemNotFound,      // no such field
  ObjectClosed,      // the record set or its connection is closed
  InvalidArgument,   // a wrong option, connection text or command text
  InvalidValue,      // a value the column cannot take (type, size, range)
  NotSupported,      // cannot be done on this object (read-only result, view...)
  Conflict,          // the row changed or went since it was read
  Constraint,        // a key, unique, foreign-key, check or not-null rule refused it
  ReadOnly,          // the database or transaction takes no writes
  Busy,              // locked by another, or a deadlock: may succeed when tried again
  Cancelled,
  Timeout,
  ConnectionFailed,  // the link to the server could not be made or was lost
  Syntax,            // the statement as written: syntax, unknown table or column
};

// The one failure type of the layer: what the window's error traps read.
class DbError : public std::runtime_error {
 public:
  DbError(long number, std::string description, ErrorKind kind = ErrorKind::Other)
      : DbError(number, std::move(description), kind, {}, 0) {}
  // An engine's failure: its SQLSTATE ("" where the engine has none) and its own code.
  DbError(long number, std::string description, ErrorKind kind, std::string sqlState, long nativeCode)
      : std::runtime_error(description),
        number_(number),
        description_(std::move(description)),
        kind_(kind),
        sqlState_(std::move(sqlState)),
        nativeCode_(nativeCode) {}

  // What the event log shows.
  long Number() const noexcept { return number_; }
  const std::string& Description() const noexcept { return description_; }
  ErrorKind Kind() const noexcept { return kind_; }
  const std::string& SqlState() const noexcept { return sqlState_; }
  // SQLite's extended result code, the ODBC driver's native error; 0 for PostgreSQL.
  long NativeCode() const noexcept { return nativeCode_; }

 private:
  long number_;
  std::string description_;
  ErrorKind kind_;
  std::string sqlState_;
  long nativeCode_;
};

}  // namespace db
