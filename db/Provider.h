#pragma once
// The seam between the object model and the engines. A provider knows one engine;
// the model (Connection, Recordset) knows only these interfaces.
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/ConnectionString.h"
#include "db/Value.h"

namespace db {

// What a result tells of one of its columns.
struct ColumnInfo {
  std::string name;
  int type = 0;             // DataTypeEnum code
  std::int32_t definedSize = 0;
  // Where the column comes from, when the engine can tell; empty otherwise.
  std::string baseSchema;
  std::string baseTable;
  std::string baseColumn;
  bool isKey = false;       // part of the key that names the row for write-back
  // False only when the engine says NULL cannot be stored; when it cannot tell, its
  // own refusal of a NULL is the answer.
  bool nullable = true;
};

// A query's rows, read by position. Implementations fetch in pages and keep only a
// bounded window of rows; fetch(row) may go backwards or jump anywhere. A result
// outlives neither safety nor sense: once its session is closed every call raises
// DbError (adErrInvalidConnection) instead of touching a closed engine handle.
class Result {
 public:
  virtual ~Result() = default;

  virtual const std::vector<ColumnInfo>& columns() const = 0;
  // Positions the result on the 0-based row; false when there is no such row.
  virtual bool fetch(std::int64_t row) = 0;
  // Values of the row that fetch() positioned on.
  virtual Value value(int column) const = 0;
  // value(column).ToText(), without making the value where the engine can.
  virtual std::string text(int column) const { return value(column).ToText(); }
  virtual bool isNull(int column) const = 0;
  // The number of rows when known without reading them all; nullopt otherwise.
  virtual std::optional<std::int64_t> size() = 0;
  // The number of rows when already known: never asks the engine.
  virtual std::optional<std::int64_t> knownSize() const { return std::nullopt; }
  // Rows transferred from the engine so far (what the scale tests count).
  virtual std::int64_t rowsRead() const = 0;
  // Learns where one more stretch of rows starts, in one short statement, so that a
  // later jump there seeks instead of skipping every row before it; false once there
  // is nothing more to learn (the end met, the size not known, or no key).
  virtual bool learn() { return false; }

  // Writes changed values of one row back to its base table with optimistic locking:
  // fails with adErrRowCannotBeLocated when the stored row no longer matches what was
  // read, and with a clear error when the result cannot be written back. On success
  // the row reads back its stored values.
  virtual void update(std::int64_t row, const std::vector<std::pair<int, Value>>& changes) = 0;
  // Lets go of what was read around the row: the next fetch of it reads what is
  // stored now.
  virtual void refresh(std::int64_t row) = 0;
};

// One open session on an engine.
class Provider {
 public:
  virtual ~Provider() = default;

  virtual void close() noexcept = 0;
  virtual bool isOpen() const noexcept = 0;
  // A query that returns rows.
  virtual std::unique_ptr<Result> query(const std::string& sql) = 0;
  // Runs the whole text (several statements allowed) without fetching rows.
  virtual void execute(const std::string& sql) = 0;
  // The tables schema: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE at least.
  virtual std::unique_ptr<Result> tables() = 0;
  // The engine's identifier quoting, with the quote character escaped.
  virtual std::string quoteIdentifier(std::string_view name) const = 0;
  // Safe from any thread: asks the engine to stop the running call, which then fails.
  virtual void interrupt() noexcept = 0;
  // Safe from any thread: the running call stops waiting for an engine that does not
  // answer an interrupt, and fails; the session may be unusable after it.
  virtual void abandon() noexcept { interrupt(); }
};

// Opens a session for the connection text; the text's Provider key chose the factory.
// `interrupted` turns true when the user gives up waiting: a provider whose opening
// can take long (a server that does not answer) stops it and raises Canceled.
using ProviderFactory = std::unique_ptr<Provider> (*)(const ConnectionString&, const std::atomic<bool>& interrupted);

// Finds the factory for a Provider key; nullptr when none has that name. The
// connection is handed one, so the layer knows no provider by name.
using ProviderLookup = ProviderFactory (*)(std::string_view name);

}  // namespace db
