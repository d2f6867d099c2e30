#include "data/SqlPanel.h"

#include <QPlainTextEdit>

#include "data/DataView.h"
#include "data/SqlCommand.h"
#include "db/Ado.h"
#include "db/Connection.h"
#include "operations/OperationLog.h"
#include "operations/OperationRunner.h"

void SqlPanel::Cancella() { txtSQL_.setPlainText(QString()); }

void SqlPanel::EseguiSQL() {
  try {
    const std::string text = txtSQL_.toPlainText().toStdString();
    const std::string_view trimmed = data::TrimSpaces(text);
    if (data::IsQuery(trimmed)) {
      view_.LeggiDati(QString::fromUtf8(trimmed.data(), static_cast<qsizetype>(trimmed.size())));
      return;
    }
    const std::string command(trimmed);
    runner_.Run([&] { conn_.Execute(command, db::adExecuteNoRecords); });
  } catch (...) {
    log_.Failed("Esecuzione comandi SQL fallita su ");
    return;
  }
  log_.Succeeded("Esecuzione comandi SQL effettuata correttamente su ");
}
