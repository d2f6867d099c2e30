#pragma once
#include <QSize>

class QWidget;

namespace layout {

// The window's outer size in pixels, frame, title bar and menu bar included. Once the
// window system has told the frame, that is the frame geometry; before (on X11 the
// frame is known only after the window manager has framed the mapped window) it is the
// geometry plus an estimate of a title bar and a one-pixel border.
QSize OuterSizePixels(const QWidget& window);

}  // namespace layout
