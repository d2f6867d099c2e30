#include "data/DataView.h"

#include <QApplication>
#include <QItemSelectionModel>

#include <algorithm>

#include "data/DataGrid.h"
#include "data/RecordsetModel.h"
#include "db/Recordset.h"
#include "operations/OperationLog.h"
#include "operations/OperationRunner.h"
#include "operations/UserInputHold.h"
#include "widgets/DoEvents.h"

namespace {

// The busy pointer for as long as the data are read, whatever way the read ends.
class BusyPointer {
 public:
  BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() { QApplication::restoreOverrideCursor(); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

// The first screen, read while the progress window can still be shown: a slow query
// spends its time here, not behind a placeholder. A query that fails here has not
// opened: the record set is closed again.
RecordsetModel::Rows ReadFirstRows(db::Recordset& rs) {
  try {
    return RecordsetModel::ReadFirst(rs);
  } catch (...) {
    rs.Close();
    throw;
  }
}

}  // namespace

DataView::DataView(db::Connection& conn, OperationRunner& runner, DataGrid& Data1, const OperationLog& log)
    : conn_(conn), runner_(runner), Data1_(Data1), log_(log) {}

// The grid lets go of the rows before they go; an edit still open is not written here.
DataView::~DataView() { Data1_.DropDataSource(); }

void DataView::Refresh() {
  if (QueryDati_.isEmpty() || !RsDati_ || RsDati_->State() != db::adStateOpen) return;
  const std::optional<DataGrid::Place> was = Data1_.Current();
  LeggiDati(QueryDati_);
  if (!was || Data1_.TotalRows() == 0) return;
  if (was->row >= Data1_.TotalRows()) Data1_.CountRows();
  Data1_.GoTo({std::min(was->row, Data1_.TotalRows() - 1), std::min(was->column, Data1_.model()->columnCount() - 1)});
}

void DataView::LeggiDati(QString query) {
  // A cell still being edited belongs to the rows shown now: written before they go.
  Data1_.CommitEdit();
  const UserInputHold hold;
  const BusyPointer busy;
  try {
    runner_.gate().Require();
    if (!RsDati_) RsDati_ = std::make_unique<db::Recordset>();
    const bool wasOpen = RsDati_->State() == db::adStateOpen;
    // The grid lets go of the rows before they are closed.
    if (wasOpen) Data1_.setDataSource(nullptr);
    const std::string text = query.toStdString();
    std::optional<RecordsetModel::Rows> first;
    runner_.Run([&] {
      if (wasOpen) RsDati_->Close();
      RsDati_->Open(text, conn_, db::adOpenKeyset, db::adLockOptimistic, db::adCmdText);
      first = ReadFirstRows(*RsDati_);
    });
    Data1_.setDataSource(RsDati_.get());
    Data1_.ReBind(std::move(first));
    DoEvents();
    Data1_.setAllowUpdate(true);
  } catch (...) {
    log_.Failed("Lettura dati fallita su ");
    return;
  }
  QueryDati_ = query;
  log_.Succeeded("Lettura dati effettuata correttamente su ");
  // The first screen is up without the count, which a big table pays for with a whole pass.
  Data1_.CountLater();
}
