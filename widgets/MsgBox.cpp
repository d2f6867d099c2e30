#include "widgets/MsgBox.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon IconOf(int style) {
  switch (style & 0x70) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

void MsgBox(QWidget* parent, const QString& prompt, int style, const QString& title) {
  QMessageBox box(IconOf(style), title, prompt, QMessageBox::Ok, parent);
  // The prompt is data (a log line may hold any text): never read it as markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}
