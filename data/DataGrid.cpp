#include "data/DataGrid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <limits>
#include <set>

#include "widgets/MsgBox.h"
#include "data/CellEditor.h"
#include "data/CellText.h"
#include "data/GridDelegate.h"
#include "data/RowsText.h"
#include "db/Recordset.h"
#include "operations/CaughtError.h"
#include "operations/OperationRunner.h"

namespace {

const QColor kEmptyArea(192, 192, 192);  // the area below the last row
const QString kTooLongToEdit = QString("Il valore di questa cella è troppo lungo per modificarlo nella griglia "
                                       "(oltre %1 caratteri): si può cambiare con un comando UPDATE nel pannello SQL")
                                   .arg(data::kMaxEditBytes);
const QString kNoDelete = "Le righe non si possono eliminare dalla griglia: si può usare un comando DELETE nel "
                         "pannello SQL";
const QString kSemicolons = "CSV separato da punto e virgola (*.csv)";
const QString kCommas = "CSV separato da virgole (*.csv)";
constexpr int kCellMargin = 8;           // pixels beside the text of a cell or a heading
constexpr QAbstractItemView::EditTriggers kEditing =
    QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
    QAbstractItemView::AnyKeyPressed;

// The editor hands the key on to the grid at the edge of its text, or when the whole
// text is selected, as it is when the cell has just been entered.
bool AtEdge(const CellEditor& e, bool forward) {
  const int length = e.text().size();
  if (length == 0 || (e.hasSelectedText() && e.selectionLength() == length)) return true;
  return !e.hasSelectedText() && e.cursorPosition() == (forward ? length : 0);
}

}  // namespace

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent), model_(new RecordsetModel(this)), delegate_(new GridDelegate(this)) {
  setModel(model_);
  setItemDelegate(delegate_);
  setErrorReporter({});
  setEditTriggers(kEditing);
  // Tab leaves the grid for the next control; the arrows move between cells.
  setTabKeyNavigation(false);
  // Headings select columns and record selectors rows, several at once by clicking.
  setSelectionMode(MultiSelection);
  setSelectionBehavior(SelectItems);
  setCornerButtonEnabled(false);
  setWordWrap(false);
  setVerticalScrollMode(ScrollPerItem);
  setHorizontalScrollMode(ScrollPerPixel);
  SetUpLook();
  SetUpHeaders();
  SetUpActions();
  connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, &DataGrid::SliderReleased);
  connect(model_, &QAbstractItemModel::dataChanged, this, &DataGrid::RowsChanged);
  connect(model_, &RecordsetModel::TotalChanged, this, &DataGrid::updateGeometries);
}

void DataGrid::setRunner(OperationRunner* runner) {
  runner_ = runner;
  model_->setThread(runner ? &runner->thread() : nullptr);
}

int DataGrid::WritesPending() const { return model_->WritesPending(); }

void DataGrid::FlushReports() { model_->FlushReports(); }

// A row that arrives under an open editor the user has not typed into shows in it.
void DataGrid::RowsChanged(const QModelIndex& from, const QModelIndex& to) {
  const QModelIndex at = currentIndex();
  if (!editor_ || editor_->changed() || !at.isValid() || at.row() < from.row() || at.row() > to.row()) return;
  delegate_->setEditorData(editor_, at);
}

void DataGrid::SetUpLook() {
  // The delegate draws the dividers: the style's grid colour is too light.
  setShowGrid(false);
  QPalette empty = viewport()->palette();
  empty.setColor(QPalette::Base, kEmptyArea);
  viewport()->setPalette(empty);
}

void DataGrid::SetUpHeaders() {
  horizontalHeader()->setSectionsMovable(false);
  QHeaderView* selectors = verticalHeader();
  selectors->setSectionResizeMode(QHeaderView::Interactive);
  selectors->setDefaultSectionSize(fontMetrics().height() + 6);
  selectors->setFixedWidth(fontMetrics().height() + 8);
  connect(horizontalHeader(), &QHeaderView::sectionPressed, this, [this] { columnsPicked_ = true; });
  connect(selectors, &QHeaderView::sectionPressed, this, [this] { columnsPicked_ = false; });
  connect(selectors, &QHeaderView::sectionResized, this, [this](int, int, int size) { SizeAllRows(size); });
}

// The grid's commands, on its context menu and on their keys (see CommandKey).
void DataGrid::SetUpActions() {
  copy_ = new QAction("Copia celle", this);
  copy_->setShortcut(QKeySequence::Copy);
  export_ = new QAction("Esporta in CSV...", this);
  refresh_ = new QAction("Aggiorna", this);
  refresh_->setShortcut(Qt::Key_F5);
  for (QAction* a : {copy_, refresh_}) a->setShortcutContext(Qt::WidgetShortcut);
  connect(copy_, &QAction::triggered, this, &DataGrid::Copy);
  connect(export_, &QAction::triggered, this, &DataGrid::AskExport);
  connect(refresh_, &QAction::triggered, this, &DataGrid::RefreshRequested);
}

void DataGrid::setDataSource(db::Recordset* source) {
  SaveAll();
  source_ = source;
  // Unbinding takes effect at once: the rows may go right after.
  if (!source) {
    parked_.reset();
    model_->Bind(nullptr);
  }
}

void DataGrid::DropDataSource() {
  source_ = nullptr;
  parked_.reset();
  model_->Bind(nullptr);
}

void DataGrid::ReBind(std::optional<RecordsetModel::Rows> first) {
  CommitEdit();
  parked_.reset();
  try {
    model_->Bind(source_, std::move(first));
  } catch (...) {
    SizeColumns();
    throw;
  }
  SizeColumns();
  // A grid that has the focus shows its first cell open, as it does when entered.
  if (hasFocus() && model_->rowCount() > 0)
    selectionModel()->setCurrentIndex(model_->index(0, 0), QItemSelectionModel::NoUpdate);
}

void DataGrid::setAllowUpdate(bool allow) {
  if (!allow) CommitEdit();
  allowUpdate_ = allow;
  model_->setEditable(allow);
  setEditTriggers(allow ? kEditing : NoEditTriggers);
}

void DataGrid::setGate(const OperationGate* gate) { model_->setGate(gate); }

void DataGrid::CommitEdit() {
  CellEditor* editor = editor_;
  if (!editor) return;
  commitData(editor);
  closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DataGrid::SaveAll() {
  CommitEdit();
  model_->RetryUnsaved();
}

void DataGrid::CountRows() {
  db::Recordset* source = model_->source();
  if (!source || model_->countKnown() || counting_) return;
  const std::uint64_t binding = model_->binding();
  std::int64_t count = -1;
  counting_ = true;
  try {
    const auto call = [&] { count = source->RecordCount(); };
    if (runner_)
      runner_->Run(call);
    else
      call();
  } catch (...) {
    // Cancelled, refused while another call runs, or failed: no count, no message.
  }
  counting_ = false;
  if (binding == model_->binding()) model_->SetCount(count);
}

void DataGrid::CountLater() {
  QTimer::singleShot(0, this, [this, binding = model_->binding()] {
    if (binding == model_->binding()) model_->CountInBackground();
  });
}

// Ctrl+End goes to the last row, which only the count can tell: until it comes the
// cursor stays, and the window goes on answering.
QModelIndex DataGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const bool far = (action == MoveHome || action == MoveEnd) && (modifiers & Qt::ControlModifier);
  if (action == MoveEnd && far && !model_->countKnown()) {
    model_->CountInBackground([this] { GoToLastRow(); });
    return currentIndex();
  }
  // A key moves from the current cell, wherever the view was scrolled to.
  if (parked_) GoTo(*parked_);
  if (!far) {
    MakeRoom();
    return QTableView::moveCursor(action, modifiers);
  }
  // The window moves first, and the cell it leaves is no longer current.
  const bool home = action == MoveHome;
  PlaceWindow(home ? 0 : model_->totalRows());
  return home ? model_->index(0, 0) : model_->index(model_->rowCount() - 1, model_->columnCount() - 1);
}

void DataGrid::GoToLastRow() {
  PlaceWindow(model_->totalRows());
  const QModelIndex last = model_->index(model_->rowCount() - 1, model_->columnCount() - 1);
  if (!last.isValid()) return;
  selectionModel()->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
  scrollTo(last);
}

std::optional<DataGrid::Place> DataGrid::Current() const {
  const QModelIndex at = currentIndex();
  if (at.isValid()) return Place{model_->firstRow() + at.row(), at.column()};
  return parked_;
}

void DataGrid::GoTo(Place place) {
  parked_.reset();
  PlaceWindow(place.row - (model_->windowRows() - RowsInView()) / 2);
  const int at = model_->WindowRow(place.row);
  if (at >= 0) selectionModel()->setCurrentIndex(model_->index(at, place.column), QItemSelectionModel::NoUpdate);
}

void DataGrid::MakeRoom() {
  const QModelIndex at = currentIndex();
  const int margin = 2 * RowsInView() + 1;
  if (!at.isValid()) return;
  const bool nearTop = at.row() < margin && model_->firstRow() > 0;
  const bool nearFoot = at.row() >= model_->rowCount() - margin &&
                        model_->firstRow() + model_->rowCount() < model_->totalRows();
  if (nearTop || nearFoot) PlaceWindow(model_->firstRow() + at.row() - model_->windowRows() / 2);
}

int DataGrid::RowsInView() const {
  const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
  int height = viewport()->height();
  // With everything in sight the scroll bars go, and the view grows by them.
  const QSize whole = maximumViewportSize();
  if (whole.width() >= horizontalHeader()->length() && whole.height() / rowHeight >= model_->totalRows())
    height = whole.height();
  return std::max(1, height / rowHeight);
}

// Qt's table sets the scroll bar to its rows, the window's: it is set again to the
// result's rows.
void DataGrid::updateGeometries() {
  QScrollBar* bar = verticalScrollBar();
  const int top = bar->value();
  {
    const QSignalBlocker quiet(bar);
    QTableView::updateGeometries();
  }
  const int visible = RowsInView();
  bar->setRange(0, static_cast<int>(std::max<std::int64_t>(0, model_->totalRows() - visible)));
  bar->setPageStep(visible);
  bar->setValue(top);
  ShowRowsFrom(bar->value());
}

void DataGrid::scrollContentsBy(int dx, int dy) {
  ShowRowsFrom(verticalScrollBar()->value());
  if (dx != 0) QTableView::scrollContentsBy(dx, 0);
  static_cast<void>(dy);  // the rows shown follow the scroll bar's value, not the step
}

void DataGrid::ShowRowsFrom(std::int64_t top) {
  const int visible = RowsInView();
  const bool moved = (top < model_->firstRow() || top > LastTopInWindow()) &&
                     PlaceWindow(top - (model_->windowRows() - visible) / 2);
  QHeaderView* rows = verticalHeader();
  const int before = rows->offset();
  const QScrollBar* bar = verticalScrollBar();
  // At the foot the last row sits on the bottom edge, as Qt's own table has it.
  if (bar->maximum() > 0 && top >= bar->maximum())
    rows->setOffset(std::max(0, rows->length() - viewport()->height()));
  else
    rows->setOffsetToSectionPosition(static_cast<int>(top - model_->firstRow()));
  if (moved) {
    viewport()->update();
    updateEditorGeometries();
  } else if (rows->offset() != before) {
    viewport()->scroll(0, before - rows->offset());
  }
}

bool DataGrid::PlaceWindow(std::int64_t first) {
  first = std::clamp<std::int64_t>(first, 0, std::max<std::int64_t>(0, model_->totalRows() - model_->rowCount()));
  if (first == model_->firstRow()) return false;
  const QModelIndex at = currentIndex();
  if (at.isValid()) {
    const std::int64_t row = model_->firstRow() + at.row();
    if (row < first || row >= first + model_->rowCount()) {
      CommitEdit();
      parked_ = Place{row, at.column()};
    }
  }
  // Whole columns stay whole; other rows picked outside the window are let go.
  std::vector<int> columns;
  if (columnsPicked_)
    for (int c = 0; c < model_->columnCount(); ++c)
      if (selectionModel()->isColumnSelected(c)) columns.push_back(c);
  if (!columns.empty()) selectionModel()->clearSelection();
  model_->MoveWindow(first);
  KeepBarInWindow();
  for (const int c : columns)
    selectionModel()->select(QItemSelection(model_->index(0, c), model_->index(model_->rowCount() - 1, c)),
                             QItemSelectionModel::Select);
  columnsPicked_ = columnsPicked_ || !columns.empty();
  Unpark();
  return true;
}

// The scroll bar's value stays a row of the window: a scroll before the caller's own
// (a sideways one, as the current cell changes column) would show the rows the bar
// was on, and take the window back there.
void DataGrid::KeepBarInWindow() {
  QScrollBar* bar = verticalScrollBar();
  const std::int64_t first = model_->firstRow();
  const std::int64_t last = std::max(first, std::min<std::int64_t>(LastTopInWindow(), bar->maximum()));
  bar->setValue(static_cast<int>(std::clamp<std::int64_t>(bar->value(), first, last)));
}

// The rows in view and the one cut by the foot must be in the window, but at the
// result's end, where the foot has no row to cut.
std::int64_t DataGrid::LastTopInWindow() const {
  const std::int64_t end = model_->firstRow() + model_->rowCount();
  if (end >= model_->totalRows()) return std::numeric_limits<std::int64_t>::max();
  return end - RowsInView() - 1;
}

// The parked cell is current again, without scrolling to it; its editor opens only
// where the grid has the focus.
void DataGrid::Unpark() {
  const int at = parked_ ? model_->WindowRow(parked_->row) : -1;
  if (at < 0) return;
  const QModelIndex cell = model_->index(at, parked_->column);
  parked_.reset();
  const bool scrolls = hasAutoScroll();
  const EditTriggers triggers = editTriggers();
  setAutoScroll(false);
  if (!hasFocus()) setEditTriggers(NoEditTriggers);
  selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
  setEditTriggers(triggers);
  setAutoScroll(scrolls);
}

// Qt's own would set the scroll bar to the window's row.
void DataGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid() || index.model() != model_) return;
  ScrollToColumn(index.column(), hint);
  const std::int64_t row = model_->firstRow() + index.row();
  const int visible = RowsInView();
  QScrollBar* bar = verticalScrollBar();
  std::int64_t top = bar->value();
  switch (hint) {
    case EnsureVisible:
      if (row < top) top = row;
      else if (row >= top + visible) top = row - visible + 1;
      break;
    case PositionAtTop: top = row; break;
    case PositionAtBottom: top = row - visible + 1; break;
    case PositionAtCenter: top = row - visible / 2; break;
  }
  bar->setValue(static_cast<int>(std::clamp<std::int64_t>(top, 0, bar->maximum())));
  update(index);
}

void DataGrid::ScrollToColumn(int column, ScrollHint hint) {
  const QHeaderView* columns = horizontalHeader();
  QScrollBar* bar = horizontalScrollBar();
  const int x = columns->sectionPosition(column) - columns->offset();
  const int width = columns->sectionSize(column);
  const int room = viewport()->width();
  if (hint == PositionAtCenter)
    bar->setValue(columns->sectionPosition(column) - (room - width) / 2);
  else if (x < 0 || width > room)
    bar->setValue(columns->sectionPosition(column));
  else if (x + width > room)
    bar->setValue(columns->sectionPosition(column) - room + width);
}

// The scroll bar dragged to its foot asks for the end, as Ctrl+End does, once it is
// let go there; a block of rows more at every touch of the foot would move the foot.
void DataGrid::verticalScrollbarValueChanged(int value) {
  const QScrollBar* bar = verticalScrollBar();
  if (bar->isSliderDown() && value == bar->maximum() && model_->canFetchMore({})) return;
  QTableView::verticalScrollbarValueChanged(value);
}

void DataGrid::SliderReleased() {
  const QScrollBar* bar = verticalScrollBar();
  if (model_->countKnown() || bar->value() < bar->maximum()) return;
  model_->CountInBackground([this] {
    updateGeometries();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  });
}

void DataGrid::setErrorReporter(std::function<void(const QString&)> report) {
  if (!report) report = [this](const QString& message) { MsgBox(this, message, vbExclamation, "Cartavo"); };
  report_ = std::move(report);
  model_->setErrorReporter([this](const QString& message) { Tell(message); });
}

// A box of the grid is open as an operation is: nothing else of the window runs
// inside it (a menu item reached another way, as a screen reader does, is refused).
void DataGrid::Tell(const QString& message) {
  if (!runner_ || runner_->gate().busy()) return report_(message);
  runner_->Hold([&] { report_(message); });
  model_->FlushReports();
}

QItemSelectionModel::SelectionFlags DataGrid::selectionCommand(const QModelIndex& index, const QEvent* event) const {
  // Without an event the call comes from a heading or a record selector: they toggle.
  if (!event) return QTableView::selectionCommand(index, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      // A click in a cell ends the selection of rows and columns.
      return QItemSelectionModel::Clear;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      return QItemSelectionModel::NoUpdate;
    case QEvent::KeyPress:
      if (static_cast<const QKeyEvent*>(event)->key() != Qt::Key_Space) return QItemSelectionModel::NoUpdate;
      break;
    default:
      break;
  }
  return QTableView::selectionCommand(index, event);
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  const std::int64_t first = model_->firstRow();
  const std::int64_t now = current.isValid() ? first + current.row() : -1;
  std::int64_t left = previous.isValid() ? first + previous.row() : -1;
  if (left < 0 && parked_ && now >= 0) left = std::exchange(parked_, std::nullopt)->row;
  model_->setCurrentRow(now, false);
  // Leaving a row tries again what could not be saved on it.
  if (left >= 0 && left != now) model_->RetryRow(left);
  QTableView::currentChanged(current, previous);
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  if (editor == editor_) editor_ = nullptr;
  QTableView::closeEditor(editor, hint);
}

// Coming back to the grid opens the current cell again; a focus that the closing
// editor hands back to the grid does not.
void DataGrid::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  if (event->reason() != Qt::OtherFocusReason && !editor_ && allowUpdate_ && currentIndex().isValid())
    edit(currentIndex());
}

// A right click in a cell makes it current and offers its editor's menu, which
// ends with the grid's commands.
void DataGrid::contextMenuEvent(QContextMenuEvent* event) {
  const bool bound = model_->source() != nullptr;
  for (QAction* a : {copy_, export_, refresh_}) a->setEnabled(bound);
  if (editor_) {
    QContextMenuEvent forwarded(event->reason(), editor_->mapFromGlobal(event->globalPos()), event->globalPos());
    QCoreApplication::sendEvent(editor_, &forwarded);
    return;
  }
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->addActions({copy_, export_, refresh_});
  menu->popup(event->globalPos());
}

void DataGrid::mousePressEvent(QMouseEvent* event) {
  columnsPicked_ = false;
  QTableView::mousePressEvent(event);
}

void DataGrid::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  if (!selectionModel()->hasSelection()) columnsPicked_ = false;
  QTableView::selectionChanged(selected, deselected);
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
  if (CommandKey(*event)) return event->accept();
  QTableView::keyPressEvent(event);
}

// Delete, Backspace and Cut on a selection of cells, rows or columns would empty the
// open cell of the row picked: rows cannot be deleted here, so nothing changes.
// Only keys typed into an open cell with nothing else selected edit it.
bool DataGrid::CommandKey(const QKeyEvent& key) {
  const bool erase = key.key() == Qt::Key_Delete || key.key() == Qt::Key_Backspace || key.matches(QKeySequence::Cut);
  if (erase && (!editor_ || selectionModel()->hasSelection())) {
    QApplication::beep();
    QToolTip::showText(viewport()->mapToGlobal(visualRect(currentIndex()).center()), kNoDelete, this);
    emit DeleteRefused();
    return true;
  }
  if (key.matches(QKeySequence::Copy) && (!editor_ || selectionModel()->hasSelection())) {
    Copy();
    return true;
  }
  if (key.key() == Qt::Key_F5 && key.modifiers() == Qt::NoModifier) {
    emit RefreshRequested();
    return true;
  }
  return false;
}

data::RowsChoice DataGrid::Chosen() const {
  data::RowsChoice choice;
  const QItemSelection selection = selectionModel()->selection();
  if (selection.isEmpty()) {
    if (const auto at = Current()) choice.columns = {at->column}, choice.rows = std::vector<std::int64_t>{at->row};
    return choice;
  }
  const int rows = model_->rowCount();
  std::set<int> columns;
  std::set<std::int64_t> picked;
  bool wholeColumns = false;
  for (const QItemSelectionRange& r : selection) {
    for (int c = r.left(); c <= r.right(); ++c) columns.insert(c);
    if (columnsPicked_ && r.top() == 0 && r.bottom() == rows - 1) wholeColumns = true;
    for (int row = r.top(); !wholeColumns && row <= r.bottom(); ++row) picked.insert(model_->firstRow() + row);
  }
  choice.columns.assign(columns.begin(), columns.end());
  choice.headings = wholeColumns;
  // Whole columns are every row of the result, read or not.
  if (!wholeColumns) choice.rows = std::vector<std::int64_t>(picked.begin(), picked.end());
  return choice;
}

void DataGrid::Read(const std::function<void()>& call) {
  try {
    if (runner_)
      runner_->Run(call);
    else
      call();
  } catch (...) {
    if (!Cancelled()) Tell(CurrentError().description);
  }
}

bool DataGrid::Cancelled() const { return runner_ && runner_->Cancelled(); }

void DataGrid::Copy() {
  db::Recordset* source = model_->source();
  const data::RowsChoice choice = Chosen();
  if (!source || choice.columns.empty()) return;
  std::string text;
  bool read = false;
  Read([&] {
    text.clear();
    data::WriteRows(*source, choice, data::kCopyFormat, text, [](std::string&) {}, [this] { return Cancelled(); });
    read = true;
  });
  if (!read) return;
  if (!text.empty()) text.pop_back();  // a single cell pastes without a line break
  QApplication::clipboard()->setText(QString::fromStdString(text));
}

void DataGrid::ExportCsv(const QString& path, char separator) {
  db::Recordset* source = model_->source();
  if (!source) return;
  Read([&] { data::ExportCsv(*source, path, separator, [this] { return Cancelled(); }); });
}

void DataGrid::AskExport() {
  auto* dialog = new QFileDialog(this, "Esporta in CSV");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setDefaultSuffix("csv");
  dialog->setNameFilters({kSemicolons, kCommas});
  connect(dialog, &QFileDialog::fileSelected, this, [this, dialog](const QString& path) {
    const char separator = dialog->selectedNameFilter() == kCommas ? ',' : ';';
    // After the dialog has gone: the export may take a while.
    QTimer::singleShot(0, this, [this, path, separator] { ExportCsv(path, separator); });
  });
  dialog->open();
}

void DataGrid::EditorOpened(CellEditor* editor) {
  editor_ = editor;
  // The editor sits on the grid's grey empty area: it takes the cells' colours.
  QPalette cell = editor->palette();
  cell.setColor(QPalette::Base, palette().color(QPalette::Base));
  editor->setPalette(cell);
  connect(editor, &CellEditor::ChangedState, this,
          [this](bool changed) { model_->setCurrentRow(Current() ? Current()->row : -1, changed); });
  connect(editor, &CellEditor::EditRefused, this, [this] { Tell(kTooLongToEdit); });
  editor->setGridActions({copy_, export_, refresh_});
}

void DataGrid::EditorReleased(QWidget* editor) {
  if (editor == editor_) editor_ = nullptr;
}

bool DataGrid::EditorKey(CellEditor& editor, const QKeyEvent& key) {
  const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
  switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (mods & (Qt::ControlModifier | Qt::AltModifier)) return false;
      CommitEdit();
      focusNextPrevChild(key.key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      commitData(&editor);
      return true;
    case Qt::Key_Escape:
      // Escape also gives up a value that could not be saved.
      model_->Forsake(currentIndex());
      if (editor.changed() || editor.text() != currentIndex().data(Qt::EditRole).toString())
        delegate_->setEditorData(&editor, currentIndex());
      return true;
    case Qt::Key_Up: MoveTo(MoveUp, mods); return true;
    case Qt::Key_Down: MoveTo(MoveDown, mods); return true;
    case Qt::Key_PageUp: MoveTo(MovePageUp, mods); return true;
    case Qt::Key_PageDown: MoveTo(MovePageDown, mods); return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const bool forward = key.key() == Qt::Key_Right;
      if (mods != Qt::NoModifier || !AtEdge(editor, forward)) return false;
      MoveTo(forward ? MoveRight : MoveLeft, mods);
      return true;
    }
    case Qt::Key_Home:
    case Qt::Key_End:
      if (!(mods & Qt::ControlModifier)) return false;
      MoveTo(key.key() == Qt::Key_Home ? MoveHome : MoveEnd, mods);
      return true;
    default:
      return CommandKey(key);
  }
}

// The editor of the cell left is written and closed by currentChanged.
void DataGrid::MoveTo(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const QModelIndex next = moveCursor(action, modifiers);
  if (next.isValid() && next != currentIndex()) selectionModel()->setCurrentIndex(next, QItemSelectionModel::NoUpdate);
}

void DataGrid::SizeColumns() {
  const QFontMetrics cells(font());
  const QFontMetrics headings(horizontalHeader()->font());
  // Digits are wider than the average letter, and dates and numbers are all digits.
  const int charWidth = std::max(cells.averageCharWidth(), cells.horizontalAdvance(QLatin1Char('0')));
  const int widest = data::kMaxColumnChars * charWidth + kCellMargin;
  const auto& columns = model_->columns();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const int byField = data::ColumnChars(columns[i].type, columns[i].definedSize) * charWidth;
    const int byHeading = headings.horizontalAdvance(columns[i].name) + kCellMargin;
    horizontalHeader()->resizeSection(static_cast<int>(i), std::min(std::max(byField, byHeading) + kCellMargin, widest));
  }
}

// Rows are sized all together: dragging one row's border sets the height of every row.
void DataGrid::SizeAllRows(int height) {
  if (sizingRows_) return;
  sizingRows_ = true;
  {
    // One signal per row would make a large result slow to resize.
    const QSignalBlocker quiet(verticalHeader());
    verticalHeader()->setDefaultSectionSize(height);
  }
  sizingRows_ = false;
  updateGeometries();
  viewport()->update();
  verticalHeader()->viewport()->update();
}
