// Table data view: the grid shows the rows of a table or a query.
#include <QApplication>
#include <QItemSelectionModel>

#include <algorithm>

#include "widgets/DoEvents.h"
#include "widgets/ListView.h"
#include "app/frmMain.h"
#include "data/DataGrid.h"
#include "data/RecordsetModel.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "operations/CaughtError.h"
#include "operations/LogTarget.h"
#include "operations/UserInputHold.h"
#include "schema/TableQuery.h"

namespace {

// The busy pointer for as long as the data are read, whatever way the read ends.
class BusyPointer {
 public:
  BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() { QApplication::restoreOverrideCursor(); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

// The connection's own quoting; without an open connection the standard one, and
// the open of the query then reports the missing connection.
std::string Quoted(const db::Connection& conn, std::string_view name) {
  if (conn.State() == db::adStateOpen) return conn.QuoteIdentifier(name);
  return db::sql::QuoteIdentifier(db::sql::Dialect{}, name);
}

// Positions on the 1-based row, when the result has one.
void Reach(db::Recordset& rs, std::int64_t position) {
  try {
    rs.AbsolutePosition(position);
  } catch (const db::DbError& e) {
    if (e.Kind() != db::ErrorKind::NoCurrentRecord) throw;
  }
}

// What binding the grid reads first (its first block of rows, unless the count is
// known, and the first screen), read while the progress window can still be shown: a
// slow query spends its time here, not in a paint. A query that fails here has not
// opened: the record set is closed again.
void ReadFirstRows(db::Recordset& rs) {
  try {
    if (!rs.KnownRecordCount()) Reach(rs, RecordsetModel::kFetchRows);
    Reach(rs, 1);
  } catch (...) {
    rs.Close();
    throw;
  }
}

}  // namespace

void frmMain::mnuLeggiDatiTabella_Click() {
  const ListItem item = LwTabelle->SelectedItem();
  if (item.isNull()) return;
  const auto quote = [this](std::string_view name) { return Quoted(Conn, name); };
  LeggiDati(QString::fromStdString(
      schema::SelectAllFrom(item.UserValue().toStdString(), item.Text().toStdString(), quote)));
}

// The rows read again, on the same row and column when they are still there.
void frmMain::Data1_Refresh() {
  if (QueryDati.isEmpty() || !RsDati || RsDati->State() != db::adStateOpen) return;
  const QModelIndex was = Data1->currentIndex();
  LeggiDati(QueryDati);
  if (!was.isValid() || Data1->model()->rowCount() == 0) return;
  if (was.row() >= Data1->model()->rowCount()) Data1->CountRows();
  const int row = std::min(was.row(), Data1->model()->rowCount() - 1);
  const int column = std::min(was.column(), Data1->model()->columnCount() - 1);
  Data1->selectionModel()->setCurrentIndex(Data1->model()->index(row, column), QItemSelectionModel::NoUpdate);
}

void frmMain::LeggiDati(QString query) {
  // A cell still being edited belongs to the rows shown now: written before they go.
  Data1->CommitEdit();
  const UserInputHold hold;
  const BusyPointer busy;
  try {
    Attesa.gate().Require();
    if (!RsDati) RsDati = std::make_unique<db::Recordset>();
    const bool wasOpen = RsDati->State() == db::adStateOpen;
    // The grid lets go of the rows before they are closed.
    if (wasOpen) Data1->setDataSource(nullptr);
    const std::string text = query.toStdString();
    Attesa.Run([&] {
      if (wasOpen) RsDati->Close();
      RsDati->Open(text, Conn, db::adOpenKeyset, db::adLockOptimistic, db::adCmdText);
      ReadFirstRows(*RsDati);
    });
    Data1->setDataSource(RsDati.get());
    Data1->ReBind();
    DoEvents();
    Data1->setAllowUpdate(true);
  } catch (...) {
    const CaughtError e = CurrentError();
    ScriviEvento(e.description, e.number, true);
    ScriviEvento("Lettura dati fallita su " + LogTarget(DSN), 0, true);
    return;
  }
  QueryDati = query;
  ScriviEvento("Lettura dati effettuata correttamente su " + LogTarget(DSN), 0, false);
  // The first screen is up without the count, which a big table pays for with a whole pass.
  Data1->CountLater();
}
