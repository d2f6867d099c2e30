#include "app/frmMain.h"

#include <QCloseEvent>
#include <QEvent>
#include <QTimer>

#include "widgets/ListView.h"
#include "data/DataGrid.h"
#include "db/Recordset.h"
#include "layout/WindowFrame.h"

namespace {
// How often a close asked for during a database call is tried again.
constexpr int kCloseRetryMs = 100;
}  // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent),
      Attesa(this, [this] { Conn.Interrupt(); },
             {.before = [this] { Data1->CommitEdit(); }, .after = [this] { Data1->viewport()->update(); }}) {
  setObjectName("frmMain");
  setWindowTitle("Cartavo");
  CreateControls();
  Data1->setGate(&Attesa.gate());
  Data1->setRunner(&Attesa);
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
  // The window goes once the database call it waits on has ended.
  if (Attesa.gate().busy()) {
    event->ignore();
    QTimer::singleShot(kCloseRetryMs, this, &QWidget::close);
    return;
  }
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
