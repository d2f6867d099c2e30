#include "data/RecordsetModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <limits>

#include "db/Recordset.h"
#include "operations/CaughtError.h"
#include "operations/ConnectionThread.h"
#include "operations/OperationGate.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The grid shows at most as many rows as a view can address.
constexpr std::int64_t kMaxRows = std::numeric_limits<int>::max();
// The design state of an unbound grid: two empty columns.
constexpr int kUnboundColumns = 2;
const QString kCurrentMark = QStringLiteral("\u25b6");
const QString kEditingMark = QStringLiteral("\u270e");
const QColor kNotRead(235, 235, 235);
const QColor kNullText(128, 128, 128);
const QColor kNotSaved(176, 0, 0);
const QString kNotSavedText = QStringLiteral("Il valore non è stato salvato: ");

QFont Italic() {
  QFont f;
  f.setItalic(true);
  return f;
}

// A failure that may pass: the same write can succeed when tried again.
bool Passing(db::ErrorKind kind) {
  using K = db::ErrorKind;
  return kind == K::Busy || kind == K::Cancelled || kind == K::Timeout || kind == K::ConnectionFailed;
}

// The same value in another spelling is no change: nothing to write.
bool SameValue(const db::Value& a, const db::Value& b) {
  return a.IsNull() == b.IsNull() && data::EditText(a) == data::EditText(b);
}

db::DbError Caught() {
  try {
    throw;
  } catch (const db::DbError& e) {
    return e;
  } catch (...) {
    const CaughtError e = CurrentError();
    return db::DbError(static_cast<long>(e.number), e.description.toStdString());
  }
}

}  // namespace

// On the connection's thread.
RecordsetModel::Cells RecordsetModel::ReadRow(db::Recordset& rs, const std::vector<int>& types) {
  Cells cells(types.size());
  const db::Fields fields = rs.Fields();
  for (std::size_t c = 0; c < types.size(); ++c) {
    db::Value v = fields.Item(static_cast<long>(c)).GetValue();
    cells[c] = {data::Shown(v, types[c]), std::move(v)};
  }
  return cells;
}

RecordsetModel::Rows RecordsetModel::ReadRows(db::Recordset& rs, const std::vector<int>& types,
                                              std::int64_t first, std::int64_t count) {
  Rows out;
  out.first = first;
  try {
    for (std::int64_t row = first; row < first + count; ++row) {
      if (!rs.TryAbsolutePosition(row + 1)) {
        out.endMet = true;
        break;
      }
      out.rows.push_back(ReadRow(rs, types));
    }
  } catch (...) {
    out.failure = Q(Caught().Description());
  }
  return out;
}

RecordsetModel::Rows RecordsetModel::ReadFirst(db::Recordset& rs) {
  std::vector<int> types;
  const db::Fields fields = rs.Fields();
  for (long i = 0; i < fields.Count(); ++i) types.push_back(fields.Item(i).Type());
  Rows first = ReadRows(rs, types, 0, kPageRows);
  if (first.failure) throw db::DbError(db::adErrProviderFailed, first.failure->toStdString());
  // Whether a first block of rows is there, unless the size is known already.
  if (!first.endMet && !rs.KnownRecordCount()) rs.TryAbsolutePosition(kFetchRows);
  return first;
}

RecordsetModel::RecordsetModel(QObject* parent)
    : QAbstractTableModel(parent), latest_(std::make_shared<std::atomic<std::uint64_t>>(0)) {}

RecordsetModel::~RecordsetModel() {
  if (alive_) *alive_ = false;
}

void RecordsetModel::Bind(db::Recordset* source, std::optional<Rows> first) {
  std::vector<Column> columns;
  std::int64_t count = 0;
  // Read before the reset, so that a failure leaves a consistent, empty model.
  try {
    if (source) {
      const db::Fields fields = source->Fields();
      const long n = fields.Count();
      for (long i = 0; i < n; ++i) {
        const db::Field f = fields.Item(i);
        columns.push_back({Q(f.Name()), f.Type(), f.DefinedSize(), (f.Attributes() & db::adFldIsNullable) != 0});
      }
      count = source->KnownRecordCount().value_or(-1);
    }
  } catch (...) {
    Bind(nullptr);
    throw;
  }
  beginResetModel();
  if (alive_) *alive_ = false;
  alive_ = std::make_shared<std::atomic<bool>>(true);
  source_ = source;
  ++binding_;
  columns_ = std::move(columns);
  auto types = std::make_shared<std::vector<int>>();
  for (const Column& c : columns_) types->push_back(c.type);
  types_ = std::move(types);
  countKnown_ = count >= 0;
  total_ = std::clamp<std::int64_t>(count, 0, kMaxRows);
  first_ = 0;
  currentRow_ = -1;
  editing_ = false;
  counting_ = growing_ = failureTold_ = countYielded_ = false;
  afterCount_.clear();
  outstanding_.reset();
  missing_.reset();
  recent_.clear();
  kept_.clear();
  edits_.clear();
  if (first && !countKnown_)
    total_ = static_cast<std::int64_t>(first->rows.size()) + (first->endMet ? 0 : kFetchRows);
  if (first && first->endMet) countKnown_ = true;
  rows_ = static_cast<int>(std::min<std::int64_t>(total_, window_));
  if (first)
    for (std::size_t i = 0; i < first->rows.size(); ++i)
      Keep(static_cast<std::int64_t>(i), std::move(first->rows[i]));
  endResetModel();
  emit TotalChanged();
  if (!countKnown_ && !first) fetchMore({});
}

void RecordsetModel::SetCount(std::int64_t count) {
  if (!source_ || countKnown_ || count < 0) return;
  countKnown_ = true;
  Resize(std::min(count, kMaxRows));
  if (total_ > window_) Learn();
}

void RecordsetModel::Learn() {
  if (!thread_) return;
  // A slice gives way to rows the view asks for meanwhile: it goes on behind them.
  Post([this, rs = source_, alive = alive_, binding = binding_, latest = latest_,
        asked = latest_->load()](bool abandoned) {
    constexpr auto kSlice = std::chrono::milliseconds(20);
    const auto until = std::chrono::steady_clock::now() + kSlice;
    bool more = !abandoned && *alive;
    try {
      while (more && (more = rs->LearnPositions()) && std::chrono::steady_clock::now() < until &&
             *latest == asked) {
      }
    } catch (...) {
      more = false;  // the jumps skip as before
    }
    if (more) Deliver([this, binding] {
        if (binding == binding_) Learn();
      });
  });
}

// The window keeps its rows where it can; rows that others deleted since they were
// fetched go from its end.
void RecordsetModel::Resize(std::int64_t total) {
  const int fits = static_cast<int>(std::min<std::int64_t>(total, window_));
  if (total < total_) {
    Shift(std::clamp<std::int64_t>(first_, 0, total - fits));
    std::vector<std::int64_t> gone;
    for (const auto& [row, kept] : kept_)
      if (row >= total) gone.push_back(row);
    for (const std::int64_t row : gone) Forget(row);
    if (fits < rows_) {
      beginRemoveRows({}, fits, rows_ - 1);
      rows_ = fits;
      total_ = total;
      endRemoveRows();
    }
  }
  total_ = total;
  if (fits > rows_) {
    beginInsertRows({}, rows_, fits - 1);
    rows_ = fits;
    endInsertRows();
  }
  emit TotalChanged();
}

void RecordsetModel::MoveWindow(std::int64_t first) { Shift(std::clamp<std::int64_t>(first, 0, total_ - rows_)); }

// The view's indexes follow their rows, as after a sort: the current cell, its editor
// and the selection stay on the rows they were on.
void RecordsetModel::Shift(std::int64_t first) {
  if (first == first_) return;
  const std::int64_t by = first_ - first;
  emit layoutAboutToBeChanged({}, VerticalSortHint);
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& i : from) {
    const std::int64_t row = i.row() + by;
    to.push_back(row >= 0 && row < rows_ ? index(static_cast<int>(row), i.column()) : QModelIndex());
  }
  changePersistentIndexList(from, to);
  first_ = first;
  emit layoutChanged({}, VerticalSortHint);
}

int RecordsetModel::WindowRow(std::int64_t row) const {
  return row >= first_ && row < first_ + rows_ ? static_cast<int>(row - first_) : -1;
}

void RecordsetModel::CountInBackground(std::function<void()> then) {
  if (!source_ || countKnown_) {
    if (then) then();
    return;
  }
  if (then) afterCount_.push_back(std::move(then));
  if (counting_) return;
  counting_ = true;
  countTicket_ = Post([this, rs = source_, alive = alive_, binding = binding_](bool abandoned) {
    std::int64_t count = -1;
    try {
      if (!abandoned && *alive) count = rs->RecordCount();
    } catch (...) {
      // Cancelled or failed: the rows keep growing as they are scrolled to.
    }
    Deliver([this, binding, count] {
      if (binding != binding_) return;
      counting_ = false;
      // Interrupted for rows the view asked for: counted again after them.
      const bool yielded = std::exchange(countYielded_, false);
      if (count < 0 && yielded && afterCount_.empty()) return CountInBackground();
      SetCount(count);
      // A count that failed leaves the rows growing, and no jump.
      for (const auto& next : std::exchange(afterCount_, {}))
        if (countKnown_) next();
    });
  });
}

void RecordsetModel::setEditable(bool editable) {
  if (editable == editable_) return;
  editable_ = editable;
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1), {});
}

void RecordsetModel::setCurrentRow(std::int64_t row, bool editing) {
  const std::int64_t before = currentRow_;
  currentRow_ = row;
  editing_ = editing;
  if (const int at = WindowRow(before); at >= 0) emit headerDataChanged(Qt::Vertical, at, at);
  if (const int at = WindowRow(row); at >= 0 && row != before) emit headerDataChanged(Qt::Vertical, at, at);
}

int RecordsetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int RecordsetModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return source_ ? static_cast<int>(columns_.size()) : kUnboundColumns;
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
  if (!source_ || !index.isValid() || index.row() >= rows_ || index.column() >= columnCount()) return {};
  const auto column = static_cast<std::size_t>(index.column());
  if (role == NullableRole) return columns_[column].nullable;
  const std::int64_t at = first_ + index.row();
  if (const auto edit = edits_.find({at, index.column()}); edit != edits_.end())
    return PendingData(edit->second, index.column(), role);
  const Cells* row = Kept(at);
  if (!row) {
    Need(at);
    row = Kept(at);  // read at once when there is no thread
  }
  if (role == NotReadRole) return row == nullptr;
  if (role == PendingRole) return false;
  if (!row) return role == Qt::BackgroundRole ? QVariant(QBrush(kNotRead)) : QVariant();
  const Cell& cell = (*row)[column];
  switch (role) {
    case Qt::DisplayRole:
      return Q(cell.shown.text);
    case Qt::EditRole:
      return data::FitsEditor(cell.value) ? Q(data::EditText(cell.value)) : Q(cell.shown.text);
    case NullRole:
      return cell.value.IsNull();
    case TooLongRole:
      return !data::FitsEditor(cell.value);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue((cell.shown.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    case Qt::ForegroundRole:
      return cell.shown.kind == data::CellKind::Null ? QVariant(QBrush(kNullText)) : QVariant();
    case Qt::FontRole:
      return cell.shown.kind == data::CellKind::Null ? QVariant(Italic()) : QVariant();
    default:
      return {};
  }
}

// The typed value, in italics; red once it is known not to be saved.
QVariant RecordsetModel::PendingData(const Edit& edit, int column, int role) const {
  switch (role) {
    case Qt::DisplayRole:
      return edit.typed.isValid() ? edit.typed : QVariant(QString::fromLatin1(data::kNullText));
    case Qt::EditRole:
      return edit.typed.isValid() ? edit.typed : QVariant(QString());
    case NullRole:
      return !edit.typed.isValid();
    case TooLongRole:
    case NotReadRole:
      return false;
    case PendingRole:
      return true;
    case Qt::TextAlignmentRole:
      return QVariant::fromValue((data::IsNumericType(columns_[static_cast<std::size_t>(column)].type) ? Qt::AlignRight
                                                                                                      : Qt::AlignLeft) |
                                 Qt::AlignVCenter);
    case Qt::ForegroundRole:
      return edit.failed ? QVariant(QBrush(kNotSaved)) : QVariant(QBrush(kNullText));
    case Qt::FontRole:
      return Italic();
    default:
      return {};
  }
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    if (!source_ || section < 0 || section >= static_cast<int>(columns_.size())) return QString();
    return columns_[static_cast<std::size_t>(section)].name;
  }
  if (first_ + section != currentRow_) return QString();
  return editing_ ? kEditingMark : kCurrentMark;
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (source_ && editable_ && !Busy()) f |= Qt::ItemIsEditable;
  return f;
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.row() >= rows_ || index.column() >= columnCount())
    return false;
  return Submit({first_ + index.row(), index.column()}, value);
}

bool RecordsetModel::Submit(CellKey key, const QVariant& value) {
  if (!source_ || !editable_ || Busy()) return false;
  const int type = columns_[static_cast<std::size_t>(key.second)].type;
  db::Value after;
  try {
    if (value.isValid()) after = data::FromEdit(value.toString().toStdString(), type);
  } catch (...) {
    Report(Q(Caught().Description()));
    return false;
  }
  // The same value in another spelling is no change: nothing to write.
  const Cells* row = Kept(key.first);
  if (row && !edits_.count(key)) {
    const db::Value& before = (*row)[static_cast<std::size_t>(key.second)].value;
    if (SameValue(before, after)) return true;
  }
  const std::uint64_t sequence = ++editSequence_;
  edits_[key] = {value, false, sequence};
  ++writesInFlight_;
  Changed(key.first, key.first + 1);
  Post([this, rs = source_, binding = binding_, key, sequence, after = std::move(after),
        types = types_](bool abandoned) mutable {
    std::optional<db::DbError> error;
    std::optional<Cells> stored;
    if (abandoned) {
      error = db::errors::Canceled();
    } else {
      error = Write(*rs, key, std::move(after));
      try {
        // A refusal often means the row changed meanwhile: it is read again as stored.
        if (error && !Passing(error->Kind())) rs->Resync();
        rs->AbsolutePosition(key.first + 1);
        stored = ReadRow(*rs, *types);
      } catch (...) {
        // the row cannot be read: it is asked for again when it is shown
      }
    }
    Deliver([this, binding, key, sequence, error = std::move(error), stored = std::move(stored)]() mutable {
      Written(binding, key, sequence, std::move(error), std::move(stored));
    });
  });
  return true;
}

// On the connection's thread.
std::optional<db::DbError> RecordsetModel::Write(db::Recordset& rs, CellKey key, db::Value after) {
  try {
    rs.AbsolutePosition(key.first + 1);
    db::Field field = rs.Fields().Item(key.second);
    if (SameValue(field.GetValue(), after)) return std::nullopt;
    field.SetValue(std::move(after));
    rs.Update();
    return std::nullopt;
  } catch (...) {
    db::DbError e = Caught();
    try {
      rs.CancelUpdate();
    } catch (...) {
      // a closed record set holds no edit to cancel
    }
    return e;
  }
}

void RecordsetModel::Written(std::uint64_t binding, CellKey key, std::uint64_t sequence,
                             std::optional<db::DbError> error, std::optional<Cells> stored) {
  --writesInFlight_;
  const bool passing = error && Passing(error->Kind());
  const QString told = error ? (passing ? kNotSavedText : QString()) + Q(error->Description()) : QString();
  if (binding != binding_) {
    if (error) Report(told);
    return;
  }
  const auto edit = edits_.find(key);
  const bool latest = edit != edits_.end() && edit->second.sequence == sequence;
  if (latest && passing) edit->second.failed = true;
  else if (latest) edits_.erase(edit);
  // A row that cannot be read again keeps what was read, unless it was just written.
  if (stored) Keep(key.first, std::move(*stored));
  else if (!error) Forget(key.first);
  Changed(key.first, key.first + 1);
  // Told once the cell shows what is stored, or what was not saved.
  if (error) Report(told);
}

void RecordsetModel::Forsake(const QModelIndex& index) {
  const auto edit = edits_.find({first_ + index.row(), index.column()});
  if (edit == edits_.end() || !edit->second.failed) return;
  edits_.erase(edit);
  emit dataChanged(index, index);
}

void RecordsetModel::RetryRow(std::int64_t row) {
  std::vector<std::pair<CellKey, QVariant>> unsaved;
  for (const auto& [key, edit] : edits_)
    if (key.first == row && edit.failed) unsaved.emplace_back(key, edit.typed);
  for (const auto& [key, typed] : unsaved) {
    edits_.erase(key);
    Submit(key, typed);
  }
}

void RecordsetModel::RetryUnsaved() {
  std::vector<std::int64_t> rows;
  for (const auto& [key, edit] : edits_)
    if (edit.failed) rows.push_back(key.first);
  for (const std::int64_t row : rows) RetryRow(row);
}

void RecordsetModel::Report(const QString& message) {
  if (Busy())
    heldReports_.push_back(message);
  else if (report_)
    report_(message);
}

void RecordsetModel::FlushReports() {
  if (heldReports_.empty() || Busy()) return;
  QStringList all;
  for (const QString& m : std::exchange(heldReports_, {})) all << m;
  if (report_) report_(all.join("\n"));
}

const RecordsetModel::Cells* RecordsetModel::Kept(std::int64_t row) const {
  const auto it = kept_.find(row);
  if (it == kept_.end()) return nullptr;
  recent_.splice(recent_.begin(), recent_, it->second.first);
  return &it->second.second;
}

void RecordsetModel::Keep(std::int64_t row, Cells cells) {
  if (const auto it = kept_.find(row); it != kept_.end()) {
    it->second.second = std::move(cells);
    recent_.splice(recent_.begin(), recent_, it->second.first);
    return;
  }
  if (kept_.size() >= kKeptRows) {
    kept_.erase(recent_.back());
    recent_.pop_back();
  }
  recent_.push_front(row);
  kept_.emplace(row, std::make_pair(recent_.begin(), std::move(cells)));
}

void RecordsetModel::Forget(std::int64_t row) {
  const auto it = kept_.find(row);
  if (it == kept_.end()) return;
  recent_.erase(it->second.first);
  kept_.erase(it);
}

// The rows the view misses in one turn of the event loop are asked for together.
void RecordsetModel::Need(std::int64_t row) const {
  if (outstanding_ && row >= outstanding_->first && row < outstanding_->second) return;
  if (!thread_) {
    const std::int64_t first = row - row % kPageRows;
    return Request(first, std::min<std::int64_t>(kPageRows, total_ - first), Ask::View);
  }
  missing_ = missing_ ? std::pair(std::min(missing_->first, row), std::max(missing_->second, row)) : std::pair(row, row);
  if (askScheduled_) return;
  askScheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    askScheduled_ = false;
    if (!missing_ || !source_) return;
    const auto [low, high] = *std::exchange(missing_, std::nullopt);
    std::int64_t first = std::max<std::int64_t>(low - low % kPageRows, high + 1 - kMaxRequestRows);
    const std::int64_t end = std::min<std::int64_t>(std::max<std::int64_t>(high + 1, first + kPageRows), total_);
    if (end > first) Request(first, end - first, Ask::View);
  });
}

void RecordsetModel::Request(std::int64_t first, std::int64_t count, Ask ask) const {
  const std::uint64_t generation = ask == Ask::View ? ++*latest_ : 0;
  if (ask == Ask::View) outstanding_ = {first, first + count};
  // A count nobody waits for gives way to rows on screen (on a big table it is a
  // whole pass, seconds at a hundred million rows).
  if (ask == Ask::View && counting_ && afterCount_.empty() && thread_) {
    countYielded_ = true;
    thread_->Interrupt(countTicket_);
  }
  auto* self = const_cast<RecordsetModel*>(this);
  Post([self, rs = source_, alive = alive_, latest = latest_, binding = binding_, types = types_, first,
        count, ask, generation](bool abandoned) {
    Rows rows;
    rows.first = first;
    // Only the latest of the view's requests is read: scrolling has left the others.
    const bool stale = ask == Ask::View && *latest != generation;
    if (abandoned || !*alive || stale)
      rows.dropped = count;
    else
      rows = ReadRows(*rs, *types, first, count);
    self->Deliver([self, binding, ask, generation, rows = std::move(rows)]() mutable {
      self->Arrived(binding, ask, generation, std::move(rows));
    });
  });
}

void RecordsetModel::Arrived(std::uint64_t binding, Ask ask, std::uint64_t generation, Rows rows) {
  if (rows.dropped == 0) ++requestsRead_;
  if (binding != binding_) return;
  if (ask == Ask::Growth) growing_ = false;
  if (ask == Ask::View && generation == *latest_) outstanding_.reset();
  const auto n = static_cast<std::int64_t>(rows.rows.size());
  for (std::int64_t i = 0; i < n; ++i) Keep(rows.first + i, std::move(rows.rows[i]));
  if (rows.failure && !failureTold_) {
    failureTold_ = true;
    Report(*rows.failure);
  }
  if (rows.endMet) {
    countKnown_ = false;  // rows that others deleted meanwhile go too
    SetCount(rows.first + n);
  } else if (ask == Ask::Growth && !rows.failure) {
    GrowTo(rows.first + n);
  }
  if (ask == Ask::Growth && rows.failure) countKnown_ = true;  // a result that cannot be read further ends here
  // Dropped rows still in sight are asked for again by the paint this brings.
  if (thread_) Changed(rows.first, rows.first + std::max(n, rows.dropped));
}

void RecordsetModel::Changed(std::int64_t from, std::int64_t end) {
  from = std::max(from, first_);
  end = std::min(end, first_ + rows_);
  if (from < end)
    emit dataChanged(index(static_cast<int>(from - first_), 0), index(static_cast<int>(end - 1 - first_), columnCount() - 1));
}

void RecordsetModel::GrowTo(std::int64_t rows) {
  rows = std::clamp<std::int64_t>(rows, 0, kMaxRows);
  if (rows > total_ && !countKnown_) Resize(rows);
}

bool RecordsetModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && source_ && !countKnown_ && !growing_;
}

// Rows of a result whose size the provider cannot tell: grown a block at a time.
void RecordsetModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  growing_ = true;
  Request(total_, kFetchRows, Ask::Growth);
}

std::uint64_t RecordsetModel::Post(std::function<void(bool)> call) const {
  if (thread_) return thread_->Post(std::move(call));
  call(false);
  return 0;
}

void RecordsetModel::Deliver(std::function<void()> call) const {
  if (thread_)
    QMetaObject::invokeMethod(const_cast<RecordsetModel*>(this), std::move(call), Qt::QueuedConnection);
  else
    call();
}

bool RecordsetModel::Busy() const { return gate_ && gate_->busy(); }
