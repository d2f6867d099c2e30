// The window's composition: controls with their design places in twips, menus, tab
// order and the wiring of the handlers.
#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "app/ConnectionLifecycle.h"
#include "app/EventLog.h"
#include "app/frmMain.h"
#include "data/DataGrid.h"
#include "data/DataView.h"
#include "data/SqlPanel.h"
#include "layout/PaneLayout.h"
#include "layout/SplitterBar.h"
#include "layout/Twips.h"
#include "layout/WindowFrame.h"
#include "schema/CatalogueBrowser.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"
#include "widgets/Pictures.h"

namespace {

constexpr double kClientWidth = 10245;  // twips
constexpr double kClientHeight = 7395;

// Design places are in twips from the top-left corner of the container.
class Designer {
 public:
  explicit Designer(const QScreen* screen)
      : dpiX_(screen->logicalDotsPerInchX()), dpiY_(screen->logicalDotsPerInchY()) {}

  template <class W>
  W* Place(W* w, const char* name, const QString& accessibleName, double left, double top,
           double width, double height) const {
    w->setObjectName(name);
    w->setAccessibleName(accessibleName);
    w->setGeometry(X(left), Y(top), X(width), Y(height));
    return w;
  }
  int X(double twips) const { return layout::TwipsToPixels(twips, dpiX_); }
  int Y(double twips) const { return layout::TwipsToPixels(twips, dpiY_); }

 private:
  double dpiX_;
  double dpiY_;
};

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  // Enter pressed elsewhere must not press it.
  b->setAutoDefault(false);
  b->setDefault(false);
  return b;
}

QPlainTextEdit* MakeSqlEditor(QWidget* parent) {
  auto* t = new QPlainTextEdit(parent);
  t->setTabChangesFocus(true);
  t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  return t;
}

QAction* AddItem(QMenu* menu, const char* name, const QString& caption) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  return a;
}

QAction* AddMenu(QMenuBar* bar, const char* name, const QString& caption, const QString& accessibleName) {
  QMenu* menu = bar->addMenu(caption);
  menu->setObjectName(name);
  menu->setAccessibleName(accessibleName);
  QAction* a = menu->menuAction();
  a->setObjectName(name);
  return a;
}

}  // namespace

void frmMain::CreateControls() {
  using layout::SplitterBar;
  const Designer d(screen());
  auto* client = new QWidget(this);
  setCentralWidget(client);

  // The image list has no place on the window; it comes first so the lists can use it.
  ImageList1 = new ImageList(this);
  ImageList1->setObjectName("ImageList1");
  setWindowIcon(ImageList1->ListImages(kPictureApplication));

  Data1 = d.Place(new DataGrid(client), "Data1", "Dati", 2580, 0, 5715, 3315);
  LwCampi = d.Place(new ListView({"Nome Campo", "Tipo", "Dimens."}, ImageList1, client), "LwCampi", "Campi",
                    0, 4320, 2295, 3015);
  fraSQL = d.Place(new QGroupBox("SQL", client), "fraSQL", "SQL", 2520, 4320, 7695, 1455);
  cmdDelete = d.Place(MakeButton("Cancella", fraSQL), "cmdDelete", "Cancella", 5640, 960, 975, 375);
  cmdExecute = d.Place(MakeButton("Esegui", fraSQL), "cmdExecute", "Esegui", 6720, 960, 855, 375);
  txtSQL = d.Place(MakeSqlEditor(fraSQL), "txtSQL", "SQL", 120, 240, 7455, 615);
  LwTabelle = d.Place(new ListView({"Tabella", "Tipo"}, ImageList1, client), "LwTabelle", "Tabelle",
                      0, 0, 2295, 4095);
  fraEvent = d.Place(new QGroupBox("Eventi", client), "fraEvent", "Eventi", 2520, 5760, 7695, 1575);
  txtEvent = d.Place(new ListView({"Numero", "Descrizione"}, ImageList1, fraEvent), "txtEvent", "Eventi",
                     120, 240, 7095, 1215);
  // The bars come last so that they lie above the panes they border.
  Im3 = d.Place(new SplitterBar(Qt::Horizontal, client), "Im3", "Divisore tra Dati e SQL", 2520, 4200, 7695, 50);
  Im2 = d.Place(new SplitterBar(Qt::Vertical, client), "Im2", "Divisore tra le colonne", 2400, 0, 50, 7335);
  Im1 = d.Place(new SplitterBar(Qt::Horizontal, client), "Im1", "Divisore tra Tabelle e Campi", 0, 4200, 2295, 50);
  LwTabelle->setFocus();
}

void frmMain::CreateMenus() {
  QMenuBar* bar = menuBar();
  mnuFile = AddMenu(bar, "mnuFile", "&File", "File");
  QMenu* file = mnuFile->menu();
  mnuConnetti = AddItem(file, "mnuConnetti", "&Connetti");
  mnuDisconnetti = AddItem(file, "mnuDisconnetti", "&Disconnetti");
  mnuEsci = AddItem(file, "mnuEsci", "&Esci");
  mnuAzioni = AddMenu(bar, "mnuAzioni", "&Azioni", "Azioni");
  QMenu* azioni = mnuAzioni->menu();
  mnuLeggiTabelle = AddItem(azioni, "mnuLeggiTabelle", "Leggi &Tabelle");
  mnuSepBar0 = azioni->addSeparator();
  // A separator has no caption of its own: a text would be drawn as a section title.
  mnuSepBar0->setObjectName("mnuSepBar0");
  mnuLeggiDatiTabella = AddItem(azioni, "mnuLeggiDatiTabella", "Leggi &Dati Tabella");
}

void frmMain::CreateSubsystems() {
  eventLog_ = std::make_unique<EventLog>(*txtEvent);
  const layout::WidgetPanes::Widgets panes{
      LwTabelle, LwCampi, Data1, fraSQL, fraEvent, txtSQL, cmdExecute, cmdDelete, txtEvent, Im1, Im2, Im3};
  layout_ = std::make_unique<layout::PaneLayout>(*this, panes, txtEvent->header());
  lifecycle_ = std::make_unique<ConnectionLifecycle>(
      Conn, Attesa, ConnectionLifecycle::Menus{mnuConnetti, mnuDisconnetti, mnuAzioni}, operationLog_);
  catalogue_ = std::make_unique<CatalogueBrowser>(Conn, Attesa, *LwTabelle, *LwCampi, operationLog_);
  dataView_ = std::make_unique<DataView>(Conn, Attesa, *Data1, operationLog_);
  sqlPanel_ = std::make_unique<SqlPanel>(Conn, Attesa, *txtSQL, *dataView_, operationLog_);
}

void frmMain::SetTabOrder() {
  // Frames and bars take no focus; the rest follow their tab indexes.
  setTabOrder(LwTabelle, txtSQL);
  setTabOrder(txtSQL, cmdExecute);
  setTabOrder(cmdExecute, LwCampi);
  setTabOrder(LwCampi, cmdDelete);
  setTabOrder(cmdDelete, txtEvent);
  setTabOrder(txtEvent, Data1);
}

void frmMain::ConnectHandlers() {
  connect(mnuConnetti, &QAction::triggered, this, &frmMain::mnuConnetti_Click);
  connect(mnuDisconnetti, &QAction::triggered, this, &frmMain::mnuDisconnetti_Click);
  connect(mnuEsci, &QAction::triggered, this, &frmMain::mnuEsci_Click);
  connect(mnuLeggiTabelle, &QAction::triggered, this, &frmMain::mnuLeggiTabelle_Click);
  connect(mnuLeggiDatiTabella, &QAction::triggered, this, &frmMain::mnuLeggiDatiTabella_Click);
  connect(LwTabelle, &ListView::Click, this, &frmMain::LwTabelle_Click);
  connect(cmdExecute, &QPushButton::clicked, this, &frmMain::cmdExecute_Click);
  connect(cmdDelete, &QPushButton::clicked, this, &frmMain::cmdDelete_Click);
  connect(txtEvent, &ListView::DblClick, this, &frmMain::txtEvent_DblClick);
  connect(Data1, &DataGrid::RefreshRequested, this, &frmMain::Data1_Refresh);
  connect(Im1, &layout::SplitterBar::MouseUp, this, &frmMain::Im1_MouseUp);
  connect(Im2, &layout::SplitterBar::MouseUp, this, &frmMain::Im2_MouseUp);
  connect(Im3, &layout::SplitterBar::MouseUp, this, &frmMain::Im3_MouseUp);
  // A new connection lists its tables at once.
  connect(lifecycle_.get(), &ConnectionLifecycle::Connesso, this, [this] { catalogue_->LeggiTabelle(); });
}

void frmMain::PlaceAtDesignSize() {
  const Designer d(screen());
  resize(d.X(kClientWidth), d.Y(kClientHeight) + menuBar()->sizeHint().height());
  const QRect area = screen()->availableGeometry();
  move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, layout::OuterSizePixels(*this), area).topLeft());
}
