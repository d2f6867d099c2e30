#pragma once
#include <memory>

#include <QMainWindow>

#include "db/Connection.h"
#include "db/providers/BuiltInProviders.h"
#include "operations/OperationLog.h"
#include "operations/OperationRunner.h"

class CatalogueBrowser;
class ConnectionLifecycle;
class DataGrid;
class DataView;
class EventLog;
class ImageList;
class ListView;
class QAction;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class SqlPanel;
namespace layout {
class PaneLayout;
class SplitterBar;
}  // namespace layout

// The program's one window: it creates the controls, owns the subsystems that
// work on them and wires the controls' signals to its handlers, which hand over
// to the subsystem that owns the behaviour.
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

  // Makes every engine call on Conn, one after the other; ended first when the
  // window goes, while what its tasks report to still stands.
  std::unique_ptr<ConnectionThread> ConnThread_;
  // Every call on Conn that the window waits for runs through here: on ConnThread_,
  // with the progress window and "Annulla"; its gate closes the grid to edits meanwhile.
  OperationRunner Attesa;

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

  // Subsystems, made once the controls stand; the grid's rows go before the grid.
  std::unique_ptr<EventLog> eventLog_;
  OperationLog operationLog_;
  std::unique_ptr<layout::PaneLayout> layout_;
  std::unique_ptr<ConnectionLifecycle> lifecycle_;
  std::unique_ptr<CatalogueBrowser> catalogue_;
  std::unique_ptr<DataView> dataView_;
  std::unique_ptr<SqlPanel> sqlPanel_;

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
  void CreateSubsystems();
  void SetTabOrder();
  void ConnectHandlers();
  void PlaceAtDesignSize();
};
