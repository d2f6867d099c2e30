#include "app/EventLog.h"

#include "widgets/ListView.h"
#include "widgets/MsgBox.h"
#include "widgets/Pictures.h"

namespace {

// Plain decimal digits with a leading minus sign, no separators, no decimals.
QString NumberText(double number) {
  if (number == 0) return QStringLiteral("0");  // also for -0
  return QString::number(number, 'f', 0);
}

}  // namespace

void EventLog::ScriviEvento(const QString& description, double number, bool isError) {
  ListItem item = isError ? txtEvent_.ListItems().Add("Err. n." + NumberText(number), kPictureError)
                          : txtEvent_.ListItems().Add("Evento", kPictureEvent);
  item.setSubItems(1, description);
  item.setTag(isError ? vbCritical : vbInformation);
}

void EventLog::ShowSelected(QWidget* parent) const {
  const ListItem item = txtEvent_.SelectedItem();
  if (item.isNull()) return;
  MsgBox(parent, item.SubItems(1), item.Tag(), "Cartavo");
}
