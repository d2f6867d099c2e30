#pragma once
#include <QAbstractTableModel>

#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <unordered_map>
#include <vector>

#include "data/CellText.h"
#include "db/Value.h"

class OperationGate;
namespace db { class Recordset; }

// The rows of a record set for the grid, read only as the view asks for them: data()
// positions the record set on the row and reads its fields. A bounded number of rows
// is kept as shown; the provider under the record set keeps its own bounded pages.
// Nothing here throws into Qt: a row that cannot be read shows empty cells. While the
// window's gate is closed (a call runs on the connection on another thread) the
// record set is not touched: rows kept are shown, others blank until the call ends,
// and nothing can be edited.
class RecordsetModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  // True when the cell's value is NULL (EditRole then holds the empty text).
  static constexpr int NullRole = Qt::UserRole + 1;
  // True when the value is too long for the editor to hold whole (EditRole then holds
  // what the cell shows, and nothing can be typed).
  static constexpr int TooLongRole = Qt::UserRole + 2;
  // False when the cell's column cannot hold NULL.
  static constexpr int NullableRole = Qt::UserRole + 3;
  static constexpr std::size_t kKeptRows = 1024;
  static constexpr int kFetchRows = 256;

  struct Column {
    QString name;
    int type = 0;
    std::int32_t definedSize = 0;
    bool nullable = true;
  };

  explicit RecordsetModel(QObject* parent = nullptr);

  // Takes the columns and rows of the source afresh; nullptr leaves the model empty.
  // The engine is not asked to count: until SetCount, rows grow as they are fetched.
  void Bind(db::Recordset* source);
  db::Recordset* source() const { return source_; }
  // Changes at every Bind: a count asked for an earlier binding is not taken.
  std::uint64_t binding() const { return binding_; }
  bool countKnown() const { return countKnown_; }
  // The source's row count, counted since Bind: every row becomes reachable.
  void SetCount(std::int64_t count);
  const std::vector<Column>& columns() const { return columns_; }
  void setEditable(bool editable);
  void setGate(const OperationGate* gate) { gate_ = gate; }
  // Told the data layer's message when a write is refused.
  void setErrorReporter(std::function<void(const QString&)> report) { report_ = std::move(report); }
  // The row that the record selector marks, and whether its cell is being edited.
  void setCurrentRow(int row, bool editing);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Writes the value at once (an invalid QVariant writes NULL); a refused write is
  // reported, cancelled on the record set and the row read again as now stored.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  using Cells = std::vector<data::CellText>;
  const Cells& Shown(int row) const;
  std::optional<db::Value> Read(int row, int column) const;
  void Forget(int row);
  // The data layer's message when the write is refused.
  std::optional<QString> Write(int row, int column, const QVariant& value);
  // False when the row cannot be read again: what was read stays shown.
  bool Reread(int row);
  bool RowExists(std::int64_t row) const;
  bool Busy() const;

  db::Recordset* source_ = nullptr;
  std::vector<Column> columns_;
  int rows_ = 0;
  bool countKnown_ = true;
  std::uint64_t binding_ = 0;
  bool editable_ = true;
  int currentRow_ = -1;
  bool editing_ = false;
  bool writing_ = false;
  std::function<void(const QString&)> report_;
  const OperationGate* gate_ = nullptr;
  mutable Cells blank_;
  // Rows as shown, most recently used first.
  mutable std::list<int> recent_;
  mutable std::unordered_map<int, std::pair<std::list<int>::iterator, Cells>> kept_;
};
