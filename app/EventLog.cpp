// The event log: one line per outcome of a database operation, read back by a double click.
#include <QString>

#include "widgets/ListView.h"
#include "widgets/MsgBox.h"
#include "widgets/Pictures.h"
#include "app/frmMain.h"

namespace {

// Plain decimal digits with a leading minus sign, no separators, no decimals.
QString NumberText(double number) {
  if (number == 0) return QStringLiteral("0");  // also for -0
  return QString::number(number, 'f', 0);
}

}  // namespace

void frmMain::ScriviEvento(const QString& description, double number, bool isError) {
  ListItem item = isError ? txtEvent->ListItems().Add("Err. n." + NumberText(number), kPictureError)
                          : txtEvent->ListItems().Add("Evento", kPictureEvent);
  item.setSubItems(1, description);
  item.setTag(isError ? vbCritical : vbInformation);
}

void frmMain::txtEvent_DblClick() {
  const ListItem item = txtEvent->SelectedItem();
  if (item.isNull()) return;
  MsgBox(this, item.SubItems(1), item.Tag(), "Cartavo");
}
