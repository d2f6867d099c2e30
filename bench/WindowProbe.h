#pragma once
// The window's own accessor for code outside it: what the benchmark calls.
#include "app/frmMain.h"
#include "data/DataGrid.h"
#include "data/DataView.h"
#include "operations/ConnectionThread.h"
#include "schema/CatalogueBrowser.h"
#include "widgets/ListView.h"

class frmMainProbe {
 public:
  explicit frmMainProbe(frmMain& w) : w_(w) {}
  void LeggiTabelle() { w_.catalogue_->LeggiTabelle(); }
  void LeggiDati(const QString& query) { w_.dataView_->LeggiDati(query); }
  ListView* LwTabelle() const { return w_.LwTabelle; }
  DataGrid* Data1() const { return w_.Data1; }
  ConnectionThread& ConnThread() const { return *w_.ConnThread_; }

 private:
  frmMain& w_;
};
