#include "layout/WidgetPanes.h"

#include <cmath>

#include <QHeaderView>
#include <QWidget>

#include "layout/Twips.h"

namespace layout {

namespace {

bool IsSize(Edge edge) { return edge == Edge::Width || edge == Edge::Height; }

// Whole pixels for a twip value, or false when no widget could hold it.
bool ToPixels(float twips, double dpi, bool isSize, int& pixels) {
  if (!std::isfinite(twips) || (isSize && twips < 0)) return false;
  const double exact = std::round(twips * dpi / kTwipsPerInch);
  if (std::abs(exact) > QWIDGETSIZE_MAX) return false;
  pixels = static_cast<int>(exact);
  return true;
}

}  // namespace

WidgetPanes::WidgetPanes(const Widgets& widgets, QHeaderView* eventColumns, QSize outerPixels,
                         double dpiX, double dpiY)
    : widgets_(widgets), eventColumns_(eventColumns), outer_(outerPixels), dpiX_(dpiX), dpiY_(dpiY) {}

double WidgetPanes::Dpi(Edge edge) const {
  return edge == Edge::Left || edge == Edge::Width ? dpiX_ : dpiY_;
}

double WidgetPanes::Get(Pane pane, Edge edge) const {
  const QRect g = widgets_[static_cast<int>(pane)]->geometry();
  int pixels = 0;
  switch (edge) {
    case Edge::Left: pixels = g.x(); break;
    case Edge::Top: pixels = g.y(); break;
    case Edge::Width: pixels = g.width(); break;
    case Edge::Height: pixels = g.height(); break;
  }
  return PixelsToTwips(pixels, Dpi(edge));
}

bool WidgetPanes::Set(Pane pane, Edge edge, float twips) {
  int pixels = 0;
  if (!ToPixels(twips, Dpi(edge), IsSize(edge), pixels)) return false;
  QWidget* w = widgets_[static_cast<int>(pane)];
  QRect g = w->geometry();
  switch (edge) {
    case Edge::Left: g.moveLeft(pixels); break;
    case Edge::Top: g.moveTop(pixels); break;
    case Edge::Width: g.setWidth(pixels); break;
    case Edge::Height: g.setHeight(pixels); break;
  }
  w->setGeometry(g);
  return true;
}

double WidgetPanes::ColumnWidth(int column) const {
  return PixelsToTwips(eventColumns_->sectionSize(column - 1), dpiX_);
}

bool WidgetPanes::SetColumnWidth(int column, float twips) {
  int pixels = 0;
  if (!ToPixels(twips, dpiX_, true, pixels)) return false;
  eventColumns_->resizeSection(column - 1, pixels);
  return true;
}

double WidgetPanes::OuterWidth() const { return PixelsToTwips(outer_.width(), dpiX_); }
double WidgetPanes::OuterHeight() const { return PixelsToTwips(outer_.height(), dpiY_); }

}  // namespace layout
