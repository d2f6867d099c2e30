#include "app/ConnectionLifecycle.h"

#include <QAction>

#include "db/Connection.h"
#include "dialog/ConnectionDialog.h"
#include "operations/OperationLog.h"
#include "operations/OperationRunner.h"
#include "operations/UserInputHold.h"
#include "widgets/DoEvents.h"

namespace {
// A cancelled dialog hands back no connection: reported as the runtime reports
// the read of an object that is not there.
constexpr long kObjectNotSet = 91;
constexpr const char* kObjectNotSetText = "Variabile oggetto o variabile del blocco With non impostata";
}  // namespace

void ConnectionLifecycle::Connetti() {
  std::optional<QString> composed;
  try {
    composed = PromptNew();
  } catch (...) {
    log_.Error();
    return;
  }
  if (!composed) {
    log_.Event(kObjectNotSetText, kObjectNotSet, true);
    return;
  }
  Conne(*composed, QString(), QString());
}

void ConnectionLifecycle::Conne(const QString& DSNx, const QString& UIDx, const QString& PWDx) {
  // The connection text alone opens; a user and password given apart are not used.
  Q_UNUSED(UIDx);
  Q_UNUSED(PWDx);
  const UserInputHold hold;
  try {
    runner_.gate().Require();
    DoEvents();
    conn_.ConnectionString(DSNx.toStdString());
    runner_.Run([this] { conn_.Open(); });
  } catch (...) {
    log_.Failed("Connessione fallita a ", DSNx);
    return;
  }
  DSN_ = DSNx;
  log_.Succeeded("Connessione effettuata correttamente a ");
  EnableMenus(true);
  emit Connesso();
}

void ConnectionLifecycle::Disconnetti() {
  try {
    runner_.Run([this] { conn_.Close(); });
  } catch (...) {
    log_.Failed("Disconnessione fallita da ");
    return;
  }
  EnableMenus(false);
  log_.Succeeded("Disconnessione effettuata correttamente da ");
}

void ConnectionLifecycle::EnableMenus(bool connected) {
  menus_.mnuDisconnetti->setEnabled(connected);
  menus_.mnuConnetti->setEnabled(!connected);
  menus_.mnuAzioni->setEnabled(connected);
}
