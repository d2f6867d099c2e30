#pragma once
#include <memory>

#include <QString>

class DataGrid;
class OperationLog;
class OperationRunner;
namespace db {
class Connection;
class Recordset;
}  // namespace db

// The rows of a table or a query in the grid `Data1`, over the record set `RsDati`.
class DataView {
 public:
  DataView(db::Connection& conn, OperationRunner& runner, DataGrid& Data1, const OperationLog& log);
  ~DataView();
  DataView(const DataView&) = delete;
  DataView& operator=(const DataView&) = delete;

  void LeggiDati(QString query);
  // The rows read again, on the same row and column when they are still there.
  void Refresh();
  db::Recordset* RsDati() const { return RsDati_.get(); }

 private:
  db::Connection& conn_;
  OperationRunner& runner_;
  DataGrid& Data1_;
  const OperationLog& log_;
  std::unique_ptr<db::Recordset> RsDati_;
  // What the grid shows, read again by F5.
  QString QueryDati_;
};
