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

namespace bench {

// Every row the grid shows has been read (asking for it, as a paint does).
inline bool ScreenRead(DataGrid& grid) {
  const int top = grid.rowAt(0);
  if (top < 0) return true;
  int bottom = grid.rowAt(grid.viewport()->height() - 1);
  if (bottom < 0) bottom = grid.model()->rowCount() - 1;
  for (int row = top; row <= bottom; ++row)
    if (grid.model()->index(row, 0).data(RecordsetModel::NotReadRole).toBool()) return false;
  return true;
}

}  // namespace bench
