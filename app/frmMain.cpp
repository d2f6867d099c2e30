#include "app/frmMain.h"

#include <QEvent>

#include "app/ListView.h"
#include "data/DataGrid.h"
#include "db/Recordset.h"
#include "layout/WindowFrame.h"

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName("frmMain");
  setWindowTitle("Cartavo");
  CreateControls();
  CreateMenus();
  SetTabOrder();
  ConnectHandlers();
  PlaceAtDesignSize();
  Form_Load();
}

frmMain::~frmMain() {
  // The grid points at RsDati, which goes before the controls do.
  Data1->setDataSource(nullptr);
}

void frmMain::Form_Load() {
  CalcolaProporzioni();
  // Conn, a member, already stands here unopened; nothing is set on it.
  txtEvent->ColumnHeaders(1).setWidth(1700);
  mnuDisconnetti->setEnabled(false);
}

void frmMain::mnuEsci_Click() {
  // The window is the program: closing it ends the run. Conn is left to its destructor.
  close();
}

void frmMain::closeEvent(QCloseEvent* event) {
  // A cell still being edited in the grid is written before the window goes.
  Data1->CommitEdit();
  QMainWindow::closeEvent(event);
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  Form_Resize();
}

void frmMain::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  // On X11 the frame is known only once the window manager has framed the window,
  // which moves it without resizing it: lay out again with the real outer size.
  if (isVisible() && layout::OuterSizePixels(*this) != laidOutOuter_) Form_Resize();
}

void frmMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) Form_Resize();
}
