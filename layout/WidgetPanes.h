#pragma once
#include <array>

#include <QSize>

#include "layout/PaneAccess.h"

class QHeaderView;
class QWidget;

namespace layout {

// The panes as real widgets: twips are turned into whole pixels at the screen's
// logical DPI when set and back into twips when read, so the toolkit's rounding
// carries into later steps. Negative sizes and values no widget can hold are refused.
class WidgetPanes final : public PaneAccess {
 public:
  using Widgets = std::array<QWidget*, kPaneCount>;  // indexed by Pane

  // outerPixels: the window's outer size as read from the toolkit for this run.
  WidgetPanes(const Widgets& widgets, QHeaderView* eventColumns, QSize outerPixels,
              double dpiX, double dpiY);

  double Get(Pane pane, Edge edge) const override;
  bool Set(Pane pane, Edge edge, float twips) override;
  double ColumnWidth(int column) const override;
  bool SetColumnWidth(int column, float twips) override;
  double OuterWidth() const override;
  double OuterHeight() const override;

 private:
  double Dpi(Edge edge) const;

  Widgets widgets_;
  QHeaderView* eventColumns_;
  QSize outer_;
  double dpiX_;
  double dpiY_;
};

}  // namespace layout
