#pragma once
// Acts on the modal windows that an action opens: a message box read and closed, or
// a window of a given type handed to the test.
#include <gtest/gtest.h>

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

template <class W>
void OnModal(std::function<void(W&)> act) {
  QTimer::singleShot(0, [act] {
    auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
    ASSERT_NE(w, nullptr);
    act(*w);
  });
}
