#pragma once
#include <QTableView>

class QStandardItemModel;
namespace db { class Recordset; }

// The grid Data1: rows of a record set, edited in place. Until it is bound it shows
// two empty columns.
class DataGrid : public QTableView {
  Q_OBJECT

 public:
  explicit DataGrid(QWidget* parent = nullptr);

  // The record set to show; nullptr unbinds. The grid does not own it.
  void setDataSource(db::Recordset* source);
  // Rebuilds columns and rows from the source last assigned.
  void ReBind();
  void setAllowUpdate(bool allow);

 private:
  QStandardItemModel* unbound_;
};
