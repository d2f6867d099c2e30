#include "operations/UserInputHold.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

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
    case QEvent::Shortcut:  // a menu's access key or an action's shortcut
      return true;
    default:
      return false;
  }
}

// A modal window shown meanwhile (the progress window, a message box) takes its input:
// it cannot start a command, and held input would leave it unanswerable.
bool ForModalWindow(QObject* receiver) {
  if (const auto* widget = qobject_cast<QWidget*>(receiver)) return widget->window()->isModal();
  if (const auto* window = qobject_cast<QWindow*>(receiver)) return window->modality() != Qt::NonModal;
  return false;
}

}  // namespace

UserInputHold::UserInputHold() { QCoreApplication::instance()->installEventFilter(this); }

UserInputHold::~UserInputHold() {
  QCoreApplication::instance()->removeEventFilter(this);
  for (Held& h : held_)
    if (h.receiver) QCoreApplication::postEvent(h.receiver, h.event.release());
}

bool UserInputHold::eventFilter(QObject* receiver, QEvent* event) {
  if (!IsUserInput(event->type()) || ForModalWindow(receiver)) return false;
  held_.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
  return true;
}
