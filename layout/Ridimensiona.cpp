#include "layout/Ridimensiona.h"

#include "layout/Numbers.h"

namespace layout {

void CalcolaProporzioni(const PaneAccess& panes, LayoutMembers m) {
  using enum Pane;
  using enum Edge;
  // Divide first, then scale: the order decides the last bit before rounding.
  StoreInteger16(panes.Get(LwTabelle, Height) / panes.OuterHeight() * 100, m.PercAltezzaTabelle);
  StoreInteger16(panes.Get(LwTabelle, Width) / panes.OuterWidth() * 100, m.PercLarghezzaTabelle);
  StoreInteger16(panes.Get(Data1, Height) / panes.OuterHeight() * 100, m.PercAltezzaGriglia);
}

void Ridimensiona(PaneAccess& panes, LayoutMembers m) {
  using enum Pane;
  using enum Edge;
  // A refused set is skipped and the old value stays, for the next step to read.
  auto get = [&panes](Pane pane, Edge edge) { return panes.Get(pane, edge); };
  auto set = [&panes](Pane pane, Edge edge, double twips) { panes.Set(pane, edge, ToSingle(twips)); };
  const double H = panes.OuterHeight();
  const double W = panes.OuterWidth();

  StoreInteger16(H - 700, m.AltezzaUtile);
  StoreInteger16(W - 200, m.LarghezzaUtile);
  set(LwTabelle, Top, 0);
  set(Data1, Top, 0);
  set(LwTabelle, Left, 0);
  set(LwCampi, Left, 0);
  set(Im1, Left, 0);
  set(Im2, Top, 0);
  set(LwTabelle, Height, m.PercAltezzaTabelle * H / 100);
  set(Data1, Height, m.PercAltezzaGriglia * H / 100);
  set(LwTabelle, Width, m.PercLarghezzaTabelle * W / 100);
  set(LwCampi, Width, get(LwTabelle, Width));
  set(Im1, Top, get(LwTabelle, Top) + get(LwTabelle, Height));
  set(LwCampi, Top, get(Im1, Top) + get(Im1, Height));
  set(LwCampi, Height, m.AltezzaUtile - get(LwCampi, Top));
  set(Im1, Width, get(LwTabelle, Width));
  set(Im2, Height, m.AltezzaUtile);
  set(Im2, Left, get(LwTabelle, Left) + get(LwTabelle, Width));
  set(Data1, Left, get(Im2, Left) + get(Im2, Width));
  set(fraSQL, Left, get(Im2, Left) + get(Im2, Width));
  set(fraEvent, Left, get(Im2, Left) + get(Im2, Width));
  set(Data1, Width, m.LarghezzaUtile - get(Data1, Left));
  set(fraSQL, Width, m.LarghezzaUtile - get(fraSQL, Left));
  set(fraEvent, Width, m.LarghezzaUtile - get(fraEvent, Left));
  set(Im3, Top, get(Data1, Top) + get(Data1, Height));
  set(fraSQL, Top, get(Im3, Top) + get(Im3, Height));
  set(fraSQL, Height, m.AltezzaUtile - get(fraEvent, Height) - get(fraSQL, Top));
  set(fraEvent, Top, get(fraSQL, Top) + get(fraSQL, Height));
  set(txtEvent, Width, get(fraEvent, Width) - 200);
  set(txtSQL, Width, get(fraSQL, Width) - 200);
  set(txtSQL, Height, get(fraSQL, Height) - 840);
  set(cmdExecute, Top, get(txtSQL, Top) + get(txtSQL, Height) + 50);
  set(cmdDelete, Top, get(txtSQL, Top) + get(txtSQL, Height) + 50);
  set(cmdExecute, Left, get(txtSQL, Left) + get(txtSQL, Width) - (get(cmdExecute, Width) + 100));
  set(cmdDelete, Left, get(cmdExecute, Left) - (get(cmdDelete, Width) + 50));
  panes.SetColumnWidth(2, ToSingle(get(txtEvent, Width) - panes.ColumnWidth(1) - 300));
}

}  // namespace layout
