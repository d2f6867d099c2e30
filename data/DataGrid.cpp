#include "data/DataGrid.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

#include "widgets/MsgBox.h"
#include "data/CellEditor.h"
#include "data/CellText.h"
#include "data/GridDelegate.h"
#include "data/RecordsetModel.h"
#include "db/Recordset.h"
#include "operations/OperationRunner.h"

namespace {

const QColor kEmptyArea(192, 192, 192);  // the area below the last row
const QString kTooLongToEdit = QString("Il valore di questa cella è troppo lungo per modificarlo nella griglia "
                                       "(oltre %1 caratteri): si può cambiare con un comando UPDATE nel pannello SQL")
                                   .arg(data::kMaxEditBytes);
constexpr int kCellMargin = 8;           // pixels beside the text of a cell or a heading
constexpr int kCountRetryMs = 100;       // a count put off by another call asks again after this
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
  connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, &DataGrid::SliderReleased);
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
  connect(selectors, &QHeaderView::sectionResized, this, [this](int, int, int size) { SizeAllRows(size); });
}

void DataGrid::setDataSource(db::Recordset* source) {
  CommitEdit();
  source_ = source;
  // Unbinding takes effect at once: the rows may go right after.
  if (!source) model_->Bind(nullptr);
}

void DataGrid::ReBind() {
  CommitEdit();
  try {
    model_->Bind(source_);
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

void DataGrid::CountLater() { CountAfter(0, model_->binding()); }

void DataGrid::CountAfter(int ms, std::uint64_t binding) {
  QTimer::singleShot(ms, this, [this, binding] {
    if (binding != model_->binding() || !model_->source() || model_->countKnown()) return;
    // Another call of the window is running: the count waits for it to end.
    if (runner_ && runner_->gate().busy()) return CountAfter(kCountRetryMs, binding);
    CountRows();
  });
}

// Ctrl+End goes to the last row, which only the count can tell.
QModelIndex DataGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  if (action == MoveEnd && (modifiers & Qt::ControlModifier)) CountRows();
  return QTableView::moveCursor(action, modifiers);
}

// The scroll bar dragged to its foot asks for the end, as Ctrl+End does, once it is
// let go there; a block of rows more at every touch of the foot would move the foot.
void DataGrid::verticalScrollbarValueChanged(int value) {
  const QScrollBar* bar = verticalScrollBar();
  if (bar->isSliderDown() && value == bar->maximum() && model_->canFetchMore({})) return;
  QTableView::verticalScrollbarValueChanged(value);
}

void DataGrid::SliderReleased() {
  QScrollBar* bar = verticalScrollBar();
  if (model_->countKnown() || bar->value() < bar->maximum()) return;
  CountRows();
  updateGeometries();
  bar->setValue(bar->maximum());
}

void DataGrid::setErrorReporter(std::function<void(const QString&)> report) {
  if (!report) report = [this](const QString& message) { MsgBox(this, message, vbExclamation, "Cartavo"); };
  report_ = report;
  model_->setErrorReporter(std::move(report));
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
  model_->setCurrentRow(current.isValid() ? current.row() : -1, false);
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

// A right click in a cell makes it current and offers its editor's menu.
void DataGrid::contextMenuEvent(QContextMenuEvent* event) {
  if (!editor_) return QTableView::contextMenuEvent(event);
  QContextMenuEvent forwarded(event->reason(), editor_->mapFromGlobal(event->globalPos()), event->globalPos());
  QCoreApplication::sendEvent(editor_, &forwarded);
}

void DataGrid::EditorOpened(CellEditor* editor) {
  editor_ = editor;
  // The editor sits on the grid's grey empty area: it takes the cells' colours.
  QPalette cell = editor->palette();
  cell.setColor(QPalette::Base, palette().color(QPalette::Base));
  editor->setPalette(cell);
  connect(editor, &CellEditor::ChangedState, this,
          [this](bool changed) { model_->setCurrentRow(currentIndex().row(), changed); });
  connect(editor, &CellEditor::EditRefused, this, [this] { report_(kTooLongToEdit); });
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
      if (editor.changed()) delegate_->setEditorData(&editor, currentIndex());
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
      return false;
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
