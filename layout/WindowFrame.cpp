#include "layout/WindowFrame.h"

#include <QStyle>
#include <QWidget>

namespace layout {

namespace {

bool HasNoFrame(const QWidget& window) {
  return window.isFullScreen() || window.windowFlags().testFlag(Qt::FramelessWindowHint);
}

}  // namespace

QSize OuterSizePixels(const QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect inner = window.geometry();
  if (frame != inner || HasNoFrame(window)) return frame.size();
  constexpr int kBorder = 1;
  const int titleBar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
  return inner.size() + QSize(2 * kBorder, titleBar + 2 * kBorder);
}

}  // namespace layout
