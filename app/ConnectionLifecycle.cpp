// The window's one connection: composed in the connection dialog, opened by Conne,
// closed by "Disconnetti". Every outcome goes to the event log.
#include "widgets/DoEvents.h"
#include "app/frmMain.h"

#include <QAction>

#include "db/DbError.h"
#include "dialog/ConnectionDialog.h"
#include "operations/CaughtError.h"
#include "operations/LogTarget.h"
#include "operations/UserInputHold.h"

namespace {
// A cancelled dialog hands back no connection: reported as the runtime reports
// the read of an object that is not there.
constexpr long kObjectNotSet = 91;
constexpr const char* kObjectNotSetText = "Variabile oggetto o variabile del blocco With non impostata";
}  // namespace

void frmMain::mnuConnetti_Click() {
  QString text;
  try {
    const std::optional<QString> composed = PromptNew();
    if (!composed) throw db::DbError(kObjectNotSet, kObjectNotSetText, db::ErrorKind::Cancelled);
    text = *composed;
  } catch (...) {
    const CaughtError e = CurrentError();
    ScriviEvento(e.description, e.number, true);
    return;
  }
  Conne(text, QString(), QString());
}

void frmMain::Conne(const QString& DSNx, const QString& UIDx, const QString& PWDx) {
  // The connection text alone opens; a user and password given apart are not used.
  Q_UNUSED(UIDx);
  Q_UNUSED(PWDx);
  const UserInputHold hold;
  try {
    Attesa.gate().Require();
    DoEvents();
    Conn.ConnectionString(DSNx.toStdString());
    Attesa.Run([this] { Conn.Open(); });
  } catch (...) {
    const CaughtError e = CurrentError();
    ScriviEvento(e.description, e.number, true);
    ScriviEvento("Connessione fallita a " + LogTarget(DSNx), 0, true);
    return;
  }
  DSN = DSNx;
  ScriviEvento("Connessione effettuata correttamente a " + LogTarget(DSN), 0, false);
  mnuDisconnetti->setEnabled(true);
  mnuConnetti->setEnabled(false);
  mnuAzioni->setEnabled(true);
  LeggiTabelle();
}

void frmMain::mnuDisconnetti_Click() {
  try {
    Attesa.Run([this] { Conn.Close(); });
  } catch (...) {
    const CaughtError e = CurrentError();
    ScriviEvento(e.description, e.number, true);
    ScriviEvento("Disconnessione fallita da " + LogTarget(DSN), 0, true);
    return;
  }
  mnuDisconnetti->setEnabled(false);
  mnuConnetti->setEnabled(true);
  mnuAzioni->setEnabled(false);
  ScriviEvento("Disconnessione effettuata correttamente da " + LogTarget(DSN), 0, false);
}
