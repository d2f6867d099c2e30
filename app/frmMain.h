#pragma once
#include <memory>

#include <QMainWindow>
#include <QSize>

#include "db/Connection.h"
#include "db/providers/BuiltInProviders.h"
#include "operations/OperationRunner.h"

class DataGrid;
class ImageList;
class ListView;
class QAction;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;
namespace db { class Recordset; }
namespace layout {
class SplitterBar;
class WidgetPanes;
struct LayoutMembers;
}

// The program's one window. Its handlers and private methods are defined by the
// subsystem that owns them: the window itself and the event log in app/, the layout
// and splitter bars in layout/, the connection in db/lifecycle/, the catalogue and
// field list in schema/, the grid and SQL panel in data/.
class frmMain final : public QMainWindow {
  Q_OBJECT

 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  db::Connection Conn{db::BuiltInProvider};

  void Conne(const QString& DSNx, const QString& UIDx, const QString& PWDx);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  friend class frmMainProbe;

  QString DSN;
  std::unique_ptr<db::Recordset> RsDati;
  // What the grid shows, read again by F5.
  QString QueryDati;
  // Every blocking call on Conn runs through here: on a worker thread, with the
  // progress window and "Annulla"; its gate keeps the grid off the connection meanwhile.
  OperationRunner Attesa;
  qint16 PercAltezzaTabelle = 0;
  qint16 PercLarghezzaTabelle = 0;
  qint16 PercAltezzaGriglia = 0;
  qint16 AltezzaUtile = 0;
  qint16 LarghezzaUtile = 0;

  // Controls, in creation order.
  ImageList* ImageList1 = nullptr;
  DataGrid* Data1 = nullptr;
  ListView* LwCampi = nullptr;
  QGroupBox* fraSQL = nullptr;
  QPushButton* cmdDelete = nullptr;
  QPushButton* cmdExecute = nullptr;
  QPlainTextEdit* txtSQL = nullptr;
  ListView* LwTabelle = nullptr;
  QGroupBox* fraEvent = nullptr;
  ListView* txtEvent = nullptr;
  layout::SplitterBar* Im3 = nullptr;
  layout::SplitterBar* Im2 = nullptr;
  layout::SplitterBar* Im1 = nullptr;

  // Menus: each item, and each menu through its menu action, has Enabled.
  QAction* mnuFile = nullptr;
  QAction* mnuConnetti = nullptr;
  QAction* mnuDisconnetti = nullptr;
  QAction* mnuEsci = nullptr;
  QAction* mnuAzioni = nullptr;
  QAction* mnuLeggiTabelle = nullptr;
  QAction* mnuSepBar0 = nullptr;
  QAction* mnuLeggiDatiTabella = nullptr;

  // The outer size that the last layout used; the frame may become known later.
  QSize laidOutOuter_;

  void ScriviEvento(const QString& description, double number, bool isError);
  void LeggiTabelle();
  void LeggiCampi(const QString& table);
  QString DescriviTipo(qint16 type);
  void LeggiDati(QString query);
  void EseguiSQL();
  void Ridimensiona();
  void CalcolaProporzioni();

  void Form_Load();
  void Form_Resize();
  void mnuConnetti_Click();
  void mnuDisconnetti_Click();
  void mnuEsci_Click();
  void mnuLeggiTabelle_Click();
  void mnuLeggiDatiTabella_Click();
  void LwTabelle_Click();
  void cmdExecute_Click();
  void cmdDelete_Click();
  void txtEvent_DblClick();
  void Data1_Refresh();
  void Im1_MouseUp(int Button, int Shift, float X, float Y);
  void Im2_MouseUp(int Button, int Shift, float X, float Y);
  void Im3_MouseUp(int Button, int Shift, float X, float Y);

  // Composition, in app/frmMainControls.cpp.
  void CreateControls();
  void CreateMenus();
  void SetTabOrder();
  void ConnectHandlers();
  void PlaceAtDesignSize();

  // Layout helpers, in layout/PaneLayout.cpp.
  layout::WidgetPanes Panes();
  layout::LayoutMembers Members();
};
