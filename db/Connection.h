#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "db/Ado.h"
#include "db/Provider.h"

namespace db {

class Recordset;

// The connection object: created unopened, opened and closed as often as needed.
class Connection {
 public:
  // providers: where Open finds the engine the connection text names.
  explicit Connection(ProviderLookup providers);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const std::string& ConnectionString() const { return connectionString_; }
  // Any text is accepted; refused with adErrObjectOpen while open.
  void ConnectionString(std::string text);

  // Opens with the connection text alone. Raises DbError on any failure.
  void Open();
  // Raises adErrObjectClosed when not open. The same object can be opened again.
  void Close();
  long State() const;

  // adSchemaTables only; others raise adErrFeatureNotAvailable.
  std::unique_ptr<Recordset> OpenSchema(long schema);
  // Runs the text; with adExecuteNoRecords no rows are fetched.
  void Execute(const std::string& commandText, long options = adExecuteNoRecords);

  // The engine's own identifier quoting (extension used to build table queries).
  std::string QuoteIdentifier(std::string_view name) const;
  // Asks the running call to stop; safe from any thread.
  void Interrupt() noexcept;
  // Gives up the running call without waiting for the engine (Provider::abandon).
  void Abandon() noexcept;

  // The open session; raises adErrInvalidConnection when not open.
  std::shared_ptr<Provider> session() const;

 private:
  ProviderLookup providers_;
  std::string connectionString_;
  // Interrupt and Abandon: the session's, or the opening's when there is none yet.
  void Stop(void (Provider::*how)() noexcept) noexcept;
  mutable std::mutex sessionMutex_;  // Interrupt reads session_ from other threads
  std::shared_ptr<Provider> session_;
  std::atomic<bool> openInterrupted_{false};  // Interrupt while Open has no session yet
};

}  // namespace db
