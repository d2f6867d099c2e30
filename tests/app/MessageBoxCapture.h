#pragma once
// Runs an action that may open a modal message box, reads the box and closes it.
#include <functional>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

struct CapturedMessageBox {
  bool shown = false;
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  Qt::TextFormat format = Qt::AutoText;
};

inline CapturedMessageBox CaptureMessageBox(const std::function<void()>& action) {
  CapturedMessageBox seen;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen = {true, box->windowTitle(), box->text(), box->icon(), box->standardButtons(), box->textFormat()};
    box->done(QMessageBox::Ok);
  });
  poll.start();
  action();
  return seen;
}
