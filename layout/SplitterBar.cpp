#include "layout/SplitterBar.h"

#include <QMouseEvent>
#include <QScreen>

#include "layout/Twips.h"

namespace layout {

namespace {

int ButtonNumber(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

int ShiftState(Qt::KeyboardModifiers modifiers) {
  return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
         (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
         (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

}  // namespace

SplitterBar::SplitterBar(Qt::Orientation orientation, QWidget* parent) : QWidget(parent) {
  setCursor(orientation == Qt::Horizontal ? Qt::SizeVerCursor : Qt::SizeHorCursor);
  setFocusPolicy(Qt::NoFocus);
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
  // Accepting the press keeps the mouse grab here, so the release comes back to this bar.
  event->accept();
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  const QPointF at = event->position();
  const QScreen* s = screen();
  const float x = static_cast<float>(at.x() * kTwipsPerInch / s->logicalDotsPerInchX());
  const float y = static_cast<float>(at.y() * kTwipsPerInch / s->logicalDotsPerInchY());
  emit MouseUp(ButtonNumber(event->button()), ShiftState(event->modifiers()), x, y);
}

}  // namespace layout
