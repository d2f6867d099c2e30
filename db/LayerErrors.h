#pragma once
// The layer's own failures, with the ADO numbers and one Italian text each, so that
// every place raises the same words for the same fault.
#include <string>

#include "db/Ado.h"
#include "db/DbError.h"

namespace db::errors {

inline DbError NoCurrentRecord() {
  return DbError(adErrNoCurrentRecord, "Nessun record corrente: BOF o EOF è True");
}
inline DbError ItemNotFound(const std::string& item) {
  return DbError(adErrItemNotFound, "Elemento non trovato nell'insieme: " + item);
}
inline DbError ObjectClosed() {
  return DbError(adErrObjectClosed, "Operazione non consentita se l'oggetto è chiuso");
}
inline DbError ObjectOpen() {
  return DbError(adErrObjectOpen, "Operazione non consentita se l'oggetto è aperto");
}
inline DbError InvalidConnection() {
  return DbError(adErrInvalidConnection, "Connessione chiusa o non valida per questa operazione");
}
inline DbError InvalidArgument(const std::string& what) {
  return DbError(adErrInvalidArgument, "Argomento non valido: " + what);
}
inline DbError NotAvailable(const std::string& what) {
  return DbError(adErrFeatureNotAvailable, what);
}
inline DbError NoCommand() {
  return DbError(adErrNoCommand, "Nessun comando SQL da eseguire: il testo è vuoto");
}
inline DbError StillExecuting() {
  return DbError(adErrStillExecuting, "Operazione non consentita: è in corso un'altra operazione sul database");
}
inline DbError Canceled() { return DbError(adErrOperationCanceled, "Operazione annullata"); }
inline DbError RowChanged() {
  return DbError(adErrRowCannotBeLocated,
                 "Impossibile aggiornare la riga: è stata modificata o eliminata da un altro utente "
                 "dopo la lettura; i dati salvati sono rimasti invariati");
}

}  // namespace db::errors
