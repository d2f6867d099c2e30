#include "data/DataGrid.h"

#include <QHeaderView>
#include <QStandardItemModel>

DataGrid::DataGrid(QWidget* parent) : QTableView(parent), unbound_(new QStandardItemModel(0, 2, this)) {
  unbound_->setHorizontalHeaderLabels({QString(), QString()});
  setModel(unbound_);
  // Tab leaves the grid for the next control.
  setTabKeyNavigation(false);
}

void DataGrid::setDataSource(db::Recordset*) {
  // Binding comes with the table data view.
}

void DataGrid::ReBind() {
  // Binding comes with the table data view.
}

void DataGrid::setAllowUpdate(bool) {
  // Editing comes with the table data view.
}
