#include "app/frmMain.h"

#include <QCloseEvent>
#include <QEvent>
#include <QTimer>

#include "app/ConnectionLifecycle.h"
#include "app/EventLog.h"
#include "data/DataGrid.h"
#include "data/DataView.h"
#include "data/SqlPanel.h"
#include "db/Recordset.h"
#include "layout/PaneLayout.h"
#include "schema/CatalogueBrowser.h"
#include "widgets/ListView.h"

namespace {
// How often a close asked for during a database call is tried again.
constexpr int kCloseRetryMs = 100;
}  // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent),
      ConnThread_(std::make_unique<ConnectionThread>([this] { Conn.Interrupt(); }, std::chrono::milliseconds(250),
                                                     [this] { Conn.Abandon(); })),
      Attesa(this, *ConnThread_,
             {.before = [this] { Data1->CommitEdit(); },
              .after =
                  [this] {
                    Data1->viewport()->update();
                    Data1->FlushReports();
                  }}),
      operationLog_([this](const QString& d, double n, bool e) { eventLog_->ScriviEvento(d, n, e); },
                    [this] { return lifecycle_->DSN(); }) {
  setObjectName("frmMain");
  setWindowTitle("Cartavo");
  CreateControls();
  Data1->setGate(&Attesa.gate());
  Data1->setRunner(&Attesa);
  CreateMenus();
  CreateSubsystems();
  SetTabOrder();
  ConnectHandlers();
  PlaceAtDesignSize();
  Form_Load();
}

frmMain::~frmMain() { ConnThread_.reset(); }

void frmMain::Conne(const QString& DSNx, const QString& UIDx, const QString& PWDx) {
  lifecycle_->Conne(DSNx, UIDx, PWDx);
}

void frmMain::Form_Load() {
  layout_->CalcolaProporzioni();
  // Conn, a member, already stands here unopened; nothing is set on it.
  txtEvent->ColumnHeaders(1).setWidth(1700);
  mnuDisconnetti->setEnabled(false);
}

void frmMain::Form_Resize() { layout_->Ridimensiona(); }

void frmMain::mnuConnetti_Click() { lifecycle_->Connetti(); }

void frmMain::mnuDisconnetti_Click() { lifecycle_->Disconnetti(); }

void frmMain::mnuEsci_Click() {
  // The window is the program: closing it ends the run. Conn is left to its destructor.
  close();
}

void frmMain::mnuLeggiTabelle_Click() { catalogue_->LeggiTabelle(); }

void frmMain::mnuLeggiDatiTabella_Click() {
  if (const auto query = catalogue_->SelectedTableQuery()) dataView_->LeggiDati(QString::fromStdString(*query));
}

void frmMain::LwTabelle_Click() {
  if (const auto table = catalogue_->SelectedTable()) catalogue_->LeggiCampi(*table);
}

void frmMain::cmdExecute_Click() { sqlPanel_->EseguiSQL(); }

void frmMain::cmdDelete_Click() { sqlPanel_->Cancella(); }

void frmMain::txtEvent_DblClick() { eventLog_->ShowSelected(this); }

void frmMain::Data1_Refresh() { dataView_->Refresh(); }

void frmMain::Im1_MouseUp(int Button, int, float X, float Y) { layout_->BarMouseUp(layout::Bar::Im1, Button, X, Y); }

void frmMain::Im2_MouseUp(int Button, int, float X, float Y) { layout_->BarMouseUp(layout::Bar::Im2, Button, X, Y); }

void frmMain::Im3_MouseUp(int Button, int, float X, float Y) { layout_->BarMouseUp(layout::Bar::Im3, Button, X, Y); }

void frmMain::closeEvent(QCloseEvent* event) {
  // The window goes once the database call it waits on has ended.
  if (Attesa.gate().busy()) {
    event->ignore();
    QTimer::singleShot(kCloseRetryMs, this, &QWidget::close);
    return;
  }
  // A cell still being edited in the grid, or not saved yet, is written before the
  // window goes, and the window waits for the writes sent (with "Annulla", which
  // gives them up and says which).
  Data1->SaveAll();
  if (Data1->WritesPending() > 0) {
    try {
      Attesa.Run([] {});
    } catch (...) {
      // cancelled: what was not saved has been told
    }
  }
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
  if (isVisible() && layout_->OuterSizeChanged()) Form_Resize();
}

void frmMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) Form_Resize();
}
