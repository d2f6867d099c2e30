#pragma once
// The layer's own failures, with the ADO numbers, their kind and one Italian text
// each, so that every place raises the same words for the same fault.
#include <string>

#include "db/Ado.h"
#include "db/DbError.h"

namespace db::errors {

inline DbError NoCurrentRecord() {
  return DbError(adErrNoCurrentRecord, "Nessun record corrente: BOF o EOF è True", ErrorKind::NoCurrentRecord);
}
inline DbError ItemNotFound(const std::string& item) {
  return DbError(adErrItemNotFound, "Elemento non trovato nell'insieme: " + item, ErrorKind::ItemNotFound);
}
inline DbError ObjectClosed() {
  return DbError(adErrObjectClosed, "Operazione non consentita se l'oggetto è chiuso", ErrorKind::ObjectClosed);
}
inline DbError ObjectOpen() {
  return DbError(adErrObjectOpen, "Operazione non consentita se l'oggetto è aperto");
}
inline DbError InvalidConnection() {
  return DbError(adErrInvalidConnection, "Connessione chiusa o non valida per questa operazione",
                 ErrorKind::ObjectClosed);
}
inline DbError InvalidArgument(const std::string& what) {
  return DbError(adErrInvalidArgument, "Argomento non valido: " + what, ErrorKind::InvalidArgument);
}
inline DbError NotAvailable(const std::string& what) {
  return DbError(adErrFeatureNotAvailable, what, ErrorKind::NotSupported);
}
inline DbError NoCommand() {
  return DbError(adErrNoCommand, "Nessun comando SQL da eseguire: il testo è vuoto", ErrorKind::InvalidArgument);
}
inline DbError StillExecuting() {
  return DbError(adErrStillExecuting, "Operazione non consentita: è in corso un'altra operazione sul database",
                 ErrorKind::Busy);
}
inline DbError Canceled() { return DbError(adErrOperationCanceled, "Operazione annullata", ErrorKind::Cancelled); }
inline DbError RowChanged() {
  return DbError(adErrRowCannotBeLocated,
                 "Impossibile aggiornare la riga: è stata modificata o eliminata da un altro utente "
                 "dopo la lettura; i dati salvati sono rimasti invariati",
                 ErrorKind::Conflict);
}

}  // namespace db::errors
