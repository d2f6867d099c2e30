// SQL command panel: runs the editor's text, or clears it.
#include <QPlainTextEdit>

#include "app/frmMain.h"
#include "data/SqlCommand.h"
#include "db/Ado.h"
#include "operations/CaughtError.h"
#include "operations/LogTarget.h"

void frmMain::cmdExecute_Click() { EseguiSQL(); }

void frmMain::cmdDelete_Click() { txtSQL->setPlainText(QString()); }

void frmMain::EseguiSQL() {
  try {
    const std::string text = txtSQL->toPlainText().toStdString();
    const std::string_view trimmed = data::TrimSpaces(text);
    if (data::IsQuery(trimmed)) {
      LeggiDati(QString::fromUtf8(trimmed.data(), static_cast<qsizetype>(trimmed.size())));
      return;
    }
    const std::string command(trimmed);
    Attesa.Run([&] { Conn.Execute(command, db::adExecuteNoRecords); });
  } catch (...) {
    const CaughtError e = CurrentError();
    ScriviEvento(e.description, e.number, true);
    ScriviEvento("Esecuzione comandi SQL fallita su " + LogTarget(DSN), 0, true);
    return;
  }
  ScriviEvento("Esecuzione comandi SQL effettuata correttamente su " + LogTarget(DSN), 0, false);
}
