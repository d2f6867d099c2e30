#pragma once
#include <QWidget>

namespace layout {

// An invisible bar between two panes: it draws nothing, shows a sizing pointer and
// reports the release of a button pressed on it, with the release point in twips
// relative to its own top-left corner, also when the pointer has left it.
class SplitterBar : public QWidget {
  Q_OBJECT

 public:
  // Horizontal bars lie between panes one above the other and size vertically.
  SplitterBar(Qt::Orientation orientation, QWidget* parent);

 signals:
  // Button: 1 left, 2 right, 4 middle. Shift: 1 Shift, 2 Ctrl, 4 Alt.
  void MouseUp(int Button, int Shift, float X, float Y);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace layout
