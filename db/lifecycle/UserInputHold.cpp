#include "db/lifecycle/UserInputHold.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

}  // namespace

UserInputHold::UserInputHold() { QCoreApplication::instance()->installEventFilter(this); }

UserInputHold::~UserInputHold() {
  QCoreApplication::instance()->removeEventFilter(this);
  for (Held& h : held_)
    if (h.receiver) QCoreApplication::postEvent(h.receiver, h.event.release());
}

bool UserInputHold::eventFilter(QObject* receiver, QEvent* event) {
  if (!IsUserInput(event->type())) return false;
  held_.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
  return true;
}
