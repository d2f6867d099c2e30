#include "layout/Splitter.h"

#include "layout/Numbers.h"
#include "layout/Ridimensiona.h"

namespace layout {

namespace {

struct BarTarget {
  Pane pane;
  Edge edge;
  bool horizontal;  // a horizontal bar moves a height and uses y
};

BarTarget TargetOf(Bar bar) {
  switch (bar) {
    case Bar::Im1: return {Pane::LwTabelle, Edge::Height, true};
    case Bar::Im2: return {Pane::LwTabelle, Edge::Width, false};
    case Bar::Im3: return {Pane::Data1, Edge::Height, true};
  }
  return {Pane::LwTabelle, Edge::Height, true};
}

std::int16_t& PercentOf(Bar bar, LayoutMembers m) {
  switch (bar) {
    case Bar::Im1: return m.PercAltezzaTabelle;
    case Bar::Im2: return m.PercLarghezzaTabelle;
    case Bar::Im3: return m.PercAltezzaGriglia;
  }
  return m.PercAltezzaTabelle;
}

}  // namespace

void BarMouseUp(PaneAccess& panes, Bar bar, int button, float x, float y, LayoutMembers m) {
  if (button != kLeftButton) return;
  const BarTarget t = TargetOf(bar);
  const double offset = t.horizontal ? y : x;
  // A refused size (released above or left of the pane) leaves the pane as it was;
  // the proportion is then taken from that size and the layout still runs.
  panes.Set(t.pane, t.edge, ToSingle(panes.Get(t.pane, t.edge) + offset));
  const double outer = t.horizontal ? panes.OuterHeight() : panes.OuterWidth();
  StoreInteger16(panes.Get(t.pane, t.edge) / outer * 100, PercentOf(bar, m));
  Ridimensiona(panes, m);
}

}  // namespace layout
