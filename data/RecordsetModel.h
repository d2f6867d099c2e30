#pragma once
#include <QAbstractTableModel>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "data/CellText.h"
#include "db/DbError.h"
#include "db/Value.h"

class ConnectionThread;
class OperationGate;
namespace db { class Recordset; }

// The rows of a record set for the grid. The record set is touched only on the
// connection's thread: data() answers from the rows it keeps and, for a row it does
// not have, shows a placeholder (empty, light grey) and asks that thread for the
// rows around it; they fill in when they arrive. Of the requests that scrolling
// makes, only the latest is read: the others are dropped before they start. An
// edited cell is written there too, in order behind what was asked before: until the
// write is answered the cell shows the typed value in italics. Without a thread
// (tests, tools) every call runs at once on the caller's thread.
//
// The view sees a window of at most windowRows() rows of the result, from firstRow():
// Qt's row header keeps memory and work per row, which a hundred million rows cannot
// afford. Positions below are rows of the result unless they are QModelIndex rows.
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
  // True while the row has not been read: the cell shows the placeholder.
  static constexpr int NotReadRole = Qt::UserRole + 4;
  // True while an edit of the cell waits to be written, or was not saved.
  static constexpr int PendingRole = Qt::UserRole + 5;
  static constexpr std::size_t kKeptRows = 1024;
  static constexpr int kFetchRows = 256;
  static constexpr int kPageRows = 64;     // rows read by one request of the view
  static constexpr int kMaxRequestRows = 512;
  static constexpr int kWindowRows = 1 << 16;

  struct Column {
    QString name;
    int type = 0;
    std::int32_t definedSize = 0;
    bool nullable = true;
  };
  struct Cell {
    data::CellText shown;
    db::Value value;
  };
  using Cells = std::vector<Cell>;
  // Rows read on the connection's thread, handed to the model.
  struct Rows {
    std::int64_t first = 0;
    std::vector<Cells> rows;
    bool endMet = false;           // fewer rows than asked: the result ends after them
    std::int64_t dropped = 0;      // rows asked for and not read: the request was dropped
    std::optional<QString> failure;
  };

  // The first screen of a record set just opened, read where the record set lives
  // (the connection's thread) as part of opening it; raises DbError when it cannot.
  static Rows ReadFirst(db::Recordset& rs);

  explicit RecordsetModel(QObject* parent = nullptr);
  ~RecordsetModel() override;

  // Takes the columns of the source afresh (metadata only, no engine call); nullptr
  // leaves the model empty. The engine is not asked to count: until SetCount, rows
  // grow as they are fetched. Call it while the connection's thread is not using
  // the source.
  void Bind(db::Recordset* source, std::optional<Rows> first = std::nullopt);
  db::Recordset* source() const { return source_; }
  // Where the source is read and written; nullptr: on the caller's thread. The
  // thread ends before the model does: its answers are queued to the model.
  void setThread(ConnectionThread* thread) { thread_ = thread; }
  // Changes at every Bind: a count asked for an earlier binding is not taken.
  std::uint64_t binding() const { return binding_; }
  bool countKnown() const { return countKnown_; }
  // The source's row count, counted since Bind: every row becomes reachable.
  void SetCount(std::int64_t count);
  // Rows of the result known so far: all of them once the count is known.
  std::int64_t totalRows() const { return total_; }
  // The window: the result's rows from firstRow() are the view's rows from 0.
  std::int64_t firstRow() const { return first_; }
  int windowRows() const { return window_; }
  // A smaller window, for trying its moves on a small result; before Bind.
  void setWindowRows(int rows) { window_ = std::max(rows, 1); }
  // Moves the window to start at the row (kept within the result). Indexes follow
  // their rows; those of rows that leave it become invalid.
  void MoveWindow(std::int64_t first);
  // The view's row of the result's row; -1 outside the window.
  int WindowRow(std::int64_t row) const;
  // Counts on the connection's thread, then calls `then` (on this thread) if the
  // binding is still the same; a count already under way is not asked twice.
  void CountInBackground(std::function<void()> then = {});
  const std::vector<Column>& columns() const { return columns_; }
  void setEditable(bool editable);
  void setGate(const OperationGate* gate) { gate_ = gate; }
  // Told the data layer's message when a write is refused or not saved.
  void setErrorReporter(std::function<void(const QString&)> report) { report_ = std::move(report); }
  // Messages held back while an operation ran, told now in one.
  void FlushReports();
  // The row that the record selector marks, and whether its cell is being edited.
  void setCurrentRow(std::int64_t row, bool editing);
  // Edits sent to the connection's thread and not answered yet.
  int WritesPending() const { return writesInFlight_; }
  // Requests for rows that reached the engine (not dropped): what the benchmark reads.
  std::int64_t RequestsRead() const { return requestsRead_; }
  // Gives up an edit that was not saved: the cell shows the stored value again.
  void Forsake(const QModelIndex& index);
  // Sends again the edits of the row (of every row) that were not saved.
  void RetryRow(std::int64_t row);
  void RetryUnsaved();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Sends the value to be written (an invalid QVariant writes NULL). A refused write
  // is reported and the row read again as now stored; one that failed for a passing
  // reason (locked, busy, connection lost, cancelled) keeps the typed value marked as
  // not saved. True when the value was sent.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 signals:
  // totalRows() changed: the scroll bar's range follows it, not rowCount().
  void TotalChanged();

 private:
  struct Edit {
    QVariant typed;
    bool failed = false;  // answered, not saved
    std::uint64_t sequence = 0;
  };
  enum class Ask { View, Growth };
  using CellKey = std::pair<std::int64_t, int>;  // row of the result, column

  static Cells ReadRow(db::Recordset& rs, const std::vector<int>& types);
  static Rows ReadRows(db::Recordset& rs, const std::vector<int>& types, std::int64_t first, std::int64_t count);
  static std::optional<db::DbError> Write(db::Recordset& rs, CellKey key, db::Value after);
  const Cells* Kept(std::int64_t row) const;
  void Need(std::int64_t row) const;
  void Request(std::int64_t first, std::int64_t count, Ask ask) const;
  void Arrived(std::uint64_t binding, Ask ask, std::uint64_t generation, Rows rows);
  void Keep(std::int64_t row, Cells cells);
  void Forget(std::int64_t row);
  void GrowTo(std::int64_t rows);
  void Resize(std::int64_t total);
  // Once counted, the thread learns where the rows are, a slice at a time behind
  // what the view asks: a jump far into a big table then seeks instead of skipping.
  void Learn();
  void Shift(std::int64_t first);
  // Sends the value to be written, unless the grid takes no edit now.
  bool Submit(CellKey key, const QVariant& value);
  // The view's cells of the result's rows [from, end) changed.
  void Changed(std::int64_t from, std::int64_t end);
  void Written(std::uint64_t binding, CellKey cell, std::uint64_t sequence, std::optional<db::DbError> error,
               std::optional<Cells> stored);
  void Report(const QString& message);
  // Runs the call where the source lives: on the connection's thread, or here.
  std::uint64_t Post(std::function<void(bool abandoned)> call) const;
  void Deliver(std::function<void()> call) const;
  bool Busy() const;
  QVariant PendingData(const Edit& edit, int column, int role) const;

  db::Recordset* source_ = nullptr;
  ConnectionThread* thread_ = nullptr;
  std::vector<Column> columns_;
  // The columns' types, shared with the tasks that read rows on the connection's thread.
  std::shared_ptr<const std::vector<int>> types_ = std::make_shared<const std::vector<int>>();
  int rows_ = 0;              // of the window
  std::int64_t total_ = 0;
  std::int64_t first_ = 0;
  int window_ = kWindowRows;
  bool countKnown_ = true;
  std::uint64_t binding_ = 0;
  // False once the binding is gone: its requests still queued then touch nothing.
  std::shared_ptr<std::atomic<bool>> alive_;
  // The latest request of the view: older ones still waiting are dropped.
  std::shared_ptr<std::atomic<std::uint64_t>> latest_;
  bool editable_ = true;
  std::int64_t currentRow_ = -1;
  bool editing_ = false;
  bool counting_ = false;
  std::uint64_t countTicket_ = 0;  // the background count's task, while counting_
  mutable bool countYielded_ = false;  // it was interrupted for rows of the view
  bool growing_ = false;
  int writesInFlight_ = 0;
  std::int64_t requestsRead_ = 0;
  std::uint64_t editSequence_ = 0;
  std::vector<std::function<void()>> afterCount_;
  std::function<void(const QString&)> report_;
  std::vector<QString> heldReports_;
  bool failureTold_ = false;  // one box per binding for rows that cannot be read
  const OperationGate* gate_ = nullptr;
  // Rows asked for in this turn of the event loop, asked together at its end.
  mutable std::optional<std::pair<std::int64_t, std::int64_t>> missing_;
  mutable bool askScheduled_ = false;
  // The rows of the latest request of the view, until it is answered: not asked twice.
  mutable std::optional<std::pair<std::int64_t, std::int64_t>> outstanding_;
  // Rows as read, most recently used first.
  mutable std::list<std::int64_t> recent_;
  std::unordered_map<std::int64_t, std::pair<std::list<std::int64_t>::iterator, Cells>> kept_;
  std::map<CellKey, Edit> edits_;
};
