#pragma once
// Test-side access to the window's private state and methods. Header-only so that
// every test file of the widget tests shares one definition.
#include "app/frmMain.h"

class frmMainProbe {
 public:
  explicit frmMainProbe(frmMain& w) : w_(w) {}

  ImageList* ImageList1() const { return w_.ImageList1; }
  DataGrid* Data1() const { return w_.Data1; }
  ListView* LwCampi() const { return w_.LwCampi; }
  QGroupBox* fraSQL() const { return w_.fraSQL; }
  QPushButton* cmdDelete() const { return w_.cmdDelete; }
  QPushButton* cmdExecute() const { return w_.cmdExecute; }
  QPlainTextEdit* txtSQL() const { return w_.txtSQL; }
  ListView* LwTabelle() const { return w_.LwTabelle; }
  QGroupBox* fraEvent() const { return w_.fraEvent; }
  ListView* txtEvent() const { return w_.txtEvent; }
  layout::SplitterBar* Im1() const { return w_.Im1; }
  layout::SplitterBar* Im2() const { return w_.Im2; }
  layout::SplitterBar* Im3() const { return w_.Im3; }

  QAction* mnuFile() const { return w_.mnuFile; }
  QAction* mnuConnetti() const { return w_.mnuConnetti; }
  QAction* mnuDisconnetti() const { return w_.mnuDisconnetti; }
  QAction* mnuEsci() const { return w_.mnuEsci; }
  QAction* mnuAzioni() const { return w_.mnuAzioni; }
  QAction* mnuLeggiTabelle() const { return w_.mnuLeggiTabelle; }
  QAction* mnuSepBar0() const { return w_.mnuSepBar0; }
  QAction* mnuLeggiDatiTabella() const { return w_.mnuLeggiDatiTabella; }

  const QString& DSN() const { return w_.DSN; }
  db::Recordset* RsDati() const { return w_.RsDati.get(); }
  qint16 PercAltezzaTabelle() const { return w_.PercAltezzaTabelle; }
  qint16 PercLarghezzaTabelle() const { return w_.PercLarghezzaTabelle; }
  qint16 PercAltezzaGriglia() const { return w_.PercAltezzaGriglia; }
  qint16 AltezzaUtile() const { return w_.AltezzaUtile; }
  qint16 LarghezzaUtile() const { return w_.LarghezzaUtile; }

  void ScriviEvento(const QString& description, double number, bool isError) {
    w_.ScriviEvento(description, number, isError);
  }
  void LeggiTabelle() { w_.LeggiTabelle(); }
  void LeggiCampi(const QString& table) { w_.LeggiCampi(table); }
  QString DescriviTipo(qint16 type) { return w_.DescriviTipo(type); }
  void LeggiDati(const QString& query) { w_.LeggiDati(query); }
  void EseguiSQL() { w_.EseguiSQL(); }
  void Ridimensiona() { w_.Ridimensiona(); }
  void CalcolaProporzioni() { w_.CalcolaProporzioni(); }

  void mnuConnetti_Click() { w_.mnuConnetti_Click(); }
  void mnuDisconnetti_Click() { w_.mnuDisconnetti_Click(); }
  void mnuEsci_Click() { w_.mnuEsci_Click(); }
  void mnuLeggiTabelle_Click() { w_.mnuLeggiTabelle_Click(); }
  void mnuLeggiDatiTabella_Click() { w_.mnuLeggiDatiTabella_Click(); }
  void LwTabelle_Click() { w_.LwTabelle_Click(); }
  void cmdExecute_Click() { w_.cmdExecute_Click(); }
  void cmdDelete_Click() { w_.cmdDelete_Click(); }
  void txtEvent_DblClick() { w_.txtEvent_DblClick(); }

 private:
  frmMain& w_;
};
