#pragma once
#include <cstdint>

#include <QSize>

#include "layout/Splitter.h"
#include "layout/WidgetPanes.h"

class QHeaderView;
class QWidget;

namespace layout {

// The window's panes laid out from the outer size and three proportions; the
// splitter bars change one proportion each. Holds the proportions and moves the widgets.
class PaneLayout {
 public:
  struct Proportions {
    std::int16_t PercAltezzaTabelle = 0;
    std::int16_t PercLarghezzaTabelle = 0;
    std::int16_t PercAltezzaGriglia = 0;
    std::int16_t AltezzaUtile = 0;
    std::int16_t LarghezzaUtile = 0;
  };

  PaneLayout(QWidget& window, const WidgetPanes::Widgets& widgets, QHeaderView* eventColumns)
      : window_(window), widgets_(widgets), eventColumns_(eventColumns) {}

  void CalcolaProporzioni();
  void Ridimensiona();
  void BarMouseUp(Bar bar, int button, float x, float y);
  // The window's outer size differs from the one last laid out (a frame that came later).
  bool OuterSizeChanged() const;
  const Proportions& proportions() const { return p_; }

 private:
  WidgetPanes Panes() const;
  LayoutMembers Members();

  QWidget& window_;
  WidgetPanes::Widgets widgets_;
  QHeaderView* eventColumns_;
  Proportions p_;
  QSize laidOutOuter_;
};

}  // namespace layout
