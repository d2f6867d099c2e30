#pragma once
#include <array>
#include <cmath>

#include "layout/PaneAccess.h"

// Exact panes for tests: every value is kept as given, negative sizes are refused.
class MemoryPanes final : public layout::PaneAccess {
 public:
  MemoryPanes(double outerWidth, double outerHeight) : outerWidth_(outerWidth), outerHeight_(outerHeight) {}

  double Get(layout::Pane pane, layout::Edge edge) const override { return At(pane, edge); }
  bool Set(layout::Pane pane, layout::Edge edge, float twips) override {
    const bool isSize = edge == layout::Edge::Width || edge == layout::Edge::Height;
    if (!std::isfinite(twips) || (isSize && twips < 0)) return false;
    At(pane, edge) = twips;
    return true;
  }
  double ColumnWidth(int column) const override { return columns_[column - 1]; }
  bool SetColumnWidth(int column, float twips) override {
    if (!std::isfinite(twips) || twips < 0) return false;
    columns_[column - 1] = twips;
    return true;
  }
  double OuterWidth() const override { return outerWidth_; }
  double OuterHeight() const override { return outerHeight_; }

  void Resize(double outerWidth, double outerHeight) { outerWidth_ = outerWidth; outerHeight_ = outerHeight; }
  void Place(layout::Pane pane, double left, double top, double width, double height) {
    using enum layout::Edge;
    At(pane, Left) = left; At(pane, Top) = top; At(pane, Width) = width; At(pane, Height) = height;
  }
  // The window's controls at their design places.
  void PlaceAtDesign() {
    using enum layout::Pane;
    Place(Data1, 2580, 0, 5715, 3315);
    Place(LwCampi, 0, 4320, 2295, 3015);
    Place(fraSQL, 2520, 4320, 7695, 1455);
    Place(cmdDelete, 5640, 960, 975, 375);
    Place(cmdExecute, 6720, 960, 855, 375);
    Place(txtSQL, 120, 240, 7455, 615);
    Place(LwTabelle, 0, 0, 2295, 4095);
    Place(fraEvent, 2520, 5760, 7695, 1575);
    Place(txtEvent, 120, 240, 7095, 1215);
    Place(Im3, 2520, 4200, 7695, 50);
    Place(Im2, 2400, 0, 50, 7335);
    Place(Im1, 0, 4200, 2295, 50);
    columns_ = {1700, 1440};
  }

 private:
  double& At(layout::Pane pane, layout::Edge edge) { return values_[static_cast<int>(pane)][static_cast<int>(edge)]; }
  double At(layout::Pane pane, layout::Edge edge) const { return values_[static_cast<int>(pane)][static_cast<int>(edge)]; }

  std::array<std::array<double, 4>, layout::kPaneCount> values_{};
  std::array<double, 2> columns_{1440, 1440};
  double outerWidth_;
  double outerHeight_;
};
