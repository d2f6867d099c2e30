// The window's layout handlers: the panes follow the outer size and the three
// proportions; the splitter bars change one proportion each.
#include <QGroupBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "widgets/ListView.h"
#include "app/frmMain.h"
#include "data/DataGrid.h"
#include "layout/Ridimensiona.h"
#include "layout/SplitterBar.h"
#include "layout/Splitter.h"
#include "layout/WidgetPanes.h"
#include "layout/WindowFrame.h"

layout::WidgetPanes frmMain::Panes() {
  const layout::WidgetPanes::Widgets widgets{
      LwTabelle, LwCampi, Data1, fraSQL, fraEvent, txtSQL, cmdExecute, cmdDelete, txtEvent, Im1, Im2, Im3};
  const QScreen* s = screen();
  return layout::WidgetPanes(widgets, txtEvent->header(), layout::OuterSizePixels(*this),
                             s->logicalDotsPerInchX(), s->logicalDotsPerInchY());
}

layout::LayoutMembers frmMain::Members() {
  return {PercAltezzaTabelle, PercLarghezzaTabelle, PercAltezzaGriglia, AltezzaUtile, LarghezzaUtile};
}

void frmMain::CalcolaProporzioni() { layout::CalcolaProporzioni(Panes(), Members()); }

void frmMain::Ridimensiona() {
  layout::WidgetPanes panes = Panes();
  laidOutOuter_ = layout::OuterSizePixels(*this);
  layout::Ridimensiona(panes, Members());
}

void frmMain::Form_Resize() { Ridimensiona(); }

void frmMain::Im1_MouseUp(int Button, int, float X, float Y) {
  layout::WidgetPanes panes = Panes();
  layout::BarMouseUp(panes, layout::Bar::Im1, Button, X, Y, Members());
}

void frmMain::Im2_MouseUp(int Button, int, float X, float Y) {
  layout::WidgetPanes panes = Panes();
  layout::BarMouseUp(panes, layout::Bar::Im2, Button, X, Y, Members());
}

void frmMain::Im3_MouseUp(int Button, int, float X, float Y) {
  layout::WidgetPanes panes = Panes();
  layout::BarMouseUp(panes, layout::Bar::Im3, Button, X, Y, Members());
}
