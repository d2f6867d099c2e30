#include "db/Connection.h"

#include "db/LayerErrors.h"
#include "db/Provider.h"
#include "db/Recordset.h"

namespace db {

Connection::Connection(ProviderLookup providers) : providers_(providers) {}

Connection::~Connection() {
  if (session_) session_->close();
}

void Connection::ConnectionString(std::string text) {
  if (State() == adStateOpen) throw errors::ObjectOpen();
  connectionString_ = std::move(text);
}

void Connection::Open() {
  if (State() == adStateOpen) throw errors::ObjectOpen();
  const auto cs = ConnectionString::Parse(connectionString_);
  const auto name = cs.Get("Provider");
  if (!name || name->empty())
    throw DbError(adErrProviderNotFound, "Provider non indicato: la stringa di connessione non ha la chiave Provider",
                  ErrorKind::InvalidArgument);
  const ProviderFactory make = providers_(*name);
  if (!make)
    throw DbError(adErrProviderNotFound,
                  "Provider sconosciuto: \"" + *name + "\" (disponibili: SQLite, PostgreSQL, ODBC)",
                  ErrorKind::InvalidArgument);
  openInterrupted_ = false;
  std::shared_ptr<Provider> opened = make(cs, openInterrupted_);
  std::lock_guard lock(sessionMutex_);
  session_ = std::move(opened);
}

void Connection::Close() {
  std::shared_ptr<Provider> closing;
  {
    std::lock_guard lock(sessionMutex_);
    if (!session_) throw errors::ObjectClosed();
    closing = std::move(session_);
  }
  // Record sets still holding the session see it closed from now on.
  closing->close();
}

long Connection::State() const {
  std::lock_guard lock(sessionMutex_);
  return session_ ? adStateOpen : adStateClosed;
}

std::unique_ptr<Recordset> Connection::OpenSchema(long schema) {
  const auto s = session();
  if (schema != adSchemaTables)
    throw errors::NotAvailable("Schema non disponibile: " + std::to_string(schema) + " (disponibile: adSchemaTables)");
  auto rs = std::make_unique<Recordset>();
  rs->OpenResult(s->tables(), adLockReadOnly, s);
  return rs;
}

void Connection::Execute(const std::string& commandText, long options) {
  const auto s = session();
  if (options != adOptionUnspecified && (options & ~(adExecuteNoRecords | adCmdText)) != 0)
    throw errors::InvalidArgument("opzioni di Execute " + std::to_string(options) +
                                  " (ammesse: adCmdText, adExecuteNoRecords)");
  // Rows that a statement returns are never fetched: Execute has no record set to give.
  s->execute(commandText);
}

std::string Connection::QuoteIdentifier(std::string_view name) const { return session()->quoteIdentifier(name); }

void Connection::Interrupt() noexcept { Stop(&Provider::interrupt); }

void Connection::Abandon() noexcept { Stop(&Provider::abandon); }

void Connection::Stop(void (Provider::*how)() noexcept) noexcept {
  std::shared_ptr<Provider> s;
  {
    std::lock_guard lock(sessionMutex_);
    s = session_;
  }
  if (s)
    ((*s).*how)();
  else
    openInterrupted_ = true;
}

std::shared_ptr<Provider> Connection::session() const {
  std::lock_guard lock(sessionMutex_);
  if (!session_) throw errors::InvalidConnection();
  return session_;
}

}  // namespace db
