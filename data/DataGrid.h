#pragma once
#include <QPointer>
#include <QTableView>

#include <cstdint>
#include <functional>
#include <optional>

#include "data/RecordsetModel.h"

class CellEditor;
class GridDelegate;
class OperationGate;
class OperationRunner;
class QKeyEvent;
namespace db { class Recordset; }
namespace data { struct RowsChoice; }

// The grid Data1: rows of a record set, edited in place. The current cell is always
// open for editing; a changed cell is written through the record set as soon as the
// user leaves it. No rows are added or deleted. Until it is bound it shows two empty
// columns.
//
// The view holds a window of the rows (RecordsetModel::windowRows()), and the vertical
// scroll bar counts rows of the whole result: scrolling, keys and jumps move the
// window under the view. A current cell that the window leaves is parked: its edit is
// written, and it is current again when it comes back or a key is pressed.
class DataGrid : public QTableView {
  Q_OBJECT

 public:
  explicit DataGrid(QWidget* parent = nullptr);

  // The record set to show, taken up by ReBind; nullptr unbinds at once. The grid
  // does not own it. An edit still open is written first, to the rows it was made on.
  void setDataSource(db::Recordset* source);
  // Lets go of the rows without writing an edit still open: for when they go anyway.
  void DropDataSource();
  // Rebuilds columns and rows from the source last assigned, with its first rows when
  // they were read as it opened. Raises DbError when the source cannot be read; the
  // grid is then empty.
  void ReBind(std::optional<RecordsetModel::Rows> first = std::nullopt);
  void setAllowUpdate(bool allow);
  // The window's gate: while it is closed the grid leaves its record set alone.
  void setGate(const OperationGate* gate);
  // Where the record set lives: rows, writes and counts go to the runner's thread,
  // reads that the user waits for (copy, export, CountRows) through the runner itself.
  // Without one every call runs on the calling thread.
  void setRunner(OperationRunner* runner);
  // The grid opens with the rows it has fetched; the exact count, which makes the
  // scroll bar true and Ctrl+End reach the last row, comes from CountRows (waited
  // for), or from CountLater on the connection's thread once the first screen is up.
  // A count that fails or is cancelled leaves the rows growing as they are scrolled to.
  void CountRows();
  void CountLater();
  // Edits sent and not answered yet.
  int WritesPending() const;
  // Tells what was held back while an operation ran (writes refused or not saved).
  void FlushReports();
  bool AllowUpdate() const { return allowUpdate_; }

  // A cell by the row of the result.
  struct Place {
    std::int64_t row;
    int column;
  };
  // The current cell, parked or not.
  std::optional<Place> Current() const;
  // Makes the cell current, moving the window to it.
  void GoTo(Place place);
  // Rows of the result known so far (all, once counted).
  std::int64_t TotalRows() const { return model_->totalRows(); }
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

  // Writes the cell being edited, if it changed, and closes its editor.
  void CommitEdit();
  // That, and sends again what could not be saved: before the rows go.
  void SaveAll();
  // Where a refused write is told; by default a message box titled "Cartavo".
  void setErrorReporter(std::function<void(const QString&)> report);

  // The selected cells (rows, columns), or the current one, to the clipboard as
  // tab-separated lines; whole columns come with their headings and every row.
  void Copy();
  // Every row to a CSV file; a failure is told, "Annulla" leaves no file.
  void ExportCsv(const QString& path, char separator);
  // Asks where to export, and with which separator.
  void AskExport();

 signals:
  // F5: the window reads the rows again.
  void RefreshRequested();
  // Delete or Backspace on a selection: rows cannot be deleted here, and nothing is.
  void DeleteRefused();

 protected:
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void focusInEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void verticalScrollbarValueChanged(int value) override;
  void updateGeometries() override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  friend class GridDelegate;
  void SetUpLook();
  void SetUpHeaders();
  void EditorOpened(CellEditor* editor);
  void EditorReleased(QWidget* editor);
  // Keys that move between cells or leave the grid; false lets the editor have it.
  bool EditorKey(CellEditor& editor, const QKeyEvent& key);
  void MoveTo(CursorAction action, Qt::KeyboardModifiers modifiers);
  void SizeColumns();
  void SizeAllRows(int height);
  void SliderReleased();
  void GoToLastRow();
  // Rows wholly in sight.
  int RowsInView() const;
  // Shows the result's rows from `top`, moving the window when they leave it.
  void ShowRowsFrom(std::int64_t top);
  // Moves the window; true when it moved.
  bool PlaceWindow(std::int64_t first);
  void KeepBarInWindow();
  // The last top row of a screen the window holds whole.
  std::int64_t LastTopInWindow() const;
  // Keys move the current cell within the window: it is kept away from its edges.
  void MakeRoom();
  void Unpark();
  void ScrollToColumn(int column, ScrollHint hint);
  void RowsChanged(const QModelIndex& from, const QModelIndex& to);
  void SetUpActions();
  // Keys of the grid's own commands, whether or not a cell is open; true when taken.
  bool CommandKey(const QKeyEvent& key);
  data::RowsChoice Chosen() const;
  // Runs a call that reads the record set: with the progress window when there is a
  // runner, told in a box when it fails unless the user cancelled it.
  void Read(const std::function<void()>& call);
  void Tell(const QString& message);
  // "Annulla" pressed during the read that runs; safe from the runner's thread.
  bool Cancelled() const;

  RecordsetModel* model_;
  GridDelegate* delegate_;
  std::function<void(const QString&)> report_;
  OperationRunner* runner_ = nullptr;
  db::Recordset* source_ = nullptr;
  bool counting_ = false;
  QPointer<CellEditor> editor_;
  QAction* copy_ = nullptr;
  QAction* export_ = nullptr;
  QAction* refresh_ = nullptr;
  bool allowUpdate_ = true;
  bool sizingRows_ = false;
  bool columnsPicked_ = false;  // the selection was made with the headings
  std::optional<Place> parked_;  // the current cell, while the window is elsewhere
};
