#include "layout/PaneLayout.h"

#include <QScreen>
#include <QWidget>

#include "layout/Ridimensiona.h"
#include "layout/WindowFrame.h"

namespace layout {

WidgetPanes PaneLayout::Panes() const {
  const QScreen* s = window_.screen();
  return WidgetPanes(widgets_, eventColumns_, OuterSizePixels(window_), s->logicalDotsPerInchX(),
                     s->logicalDotsPerInchY());
}

LayoutMembers PaneLayout::Members() {
  return {p_.PercAltezzaTabelle, p_.PercLarghezzaTabelle, p_.PercAltezzaGriglia, p_.AltezzaUtile,
          p_.LarghezzaUtile};
}

void PaneLayout::CalcolaProporzioni() { layout::CalcolaProporzioni(Panes(), Members()); }

void PaneLayout::Ridimensiona() {
  WidgetPanes panes = Panes();
  laidOutOuter_ = OuterSizePixels(window_);
  layout::Ridimensiona(panes, Members());
}

void PaneLayout::BarMouseUp(Bar bar, int button, float x, float y) {
  WidgetPanes panes = Panes();
  layout::BarMouseUp(panes, bar, button, x, y, Members());
}

bool PaneLayout::OuterSizeChanged() const { return OuterSizePixels(window_) != laidOutOuter_; }

}  // namespace layout
