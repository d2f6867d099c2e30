#include "data/RecordsetModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>
#include <limits>
#include <optional>

#include "db/Recordset.h"
#include "operations/CaughtError.h"
#include "operations/OperationGate.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The grid shows at most as many rows as a view can address.
constexpr std::int64_t kMaxRows = std::numeric_limits<int>::max();
// The design state of an unbound grid: two empty columns.
constexpr int kUnboundColumns = 2;
const QString kCurrentMark = QStringLiteral("\u25b6");
const QString kEditingMark = QStringLiteral("\u270e");

}  // namespace

RecordsetModel::RecordsetModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordsetModel::Bind(db::Recordset* source) {
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
  source_ = source;
  ++binding_;
  columns_ = std::move(columns);
  countKnown_ = count >= 0;
  rows_ = static_cast<int>(std::clamp<std::int64_t>(count, 0, kMaxRows));
  currentRow_ = -1;
  editing_ = false;
  recent_.clear();
  kept_.clear();
  endResetModel();
  if (!countKnown_) fetchMore({});
}

void RecordsetModel::SetCount(std::int64_t count) {
  if (!source_ || countKnown_ || count < 0) return;
  countKnown_ = true;
  const int rows = static_cast<int>(std::min(count, kMaxRows));
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  } else if (rows < rows_) {
    // Rows deleted by others since they were fetched.
    beginRemoveRows({}, rows, rows_ - 1);
    for (int row = rows; row < rows_; ++row) Forget(row);
    rows_ = rows;
    endRemoveRows();
  }
}

void RecordsetModel::setEditable(bool editable) {
  if (editable == editable_) return;
  editable_ = editable;
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1), {});
}

void RecordsetModel::setCurrentRow(int row, bool editing) {
  const int before = currentRow_;
  currentRow_ = row;
  editing_ = editing;
  if (before >= 0 && before < rows_) emit headerDataChanged(Qt::Vertical, before, before);
  if (row >= 0 && row < rows_ && row != before) emit headerDataChanged(Qt::Vertical, row, row);
}

int RecordsetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int RecordsetModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return source_ ? static_cast<int>(columns_.size()) : kUnboundColumns;
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
  if (!source_ || !index.isValid() || index.row() >= rows_ || index.column() >= columnCount()) return {};
  const auto column = static_cast<std::size_t>(index.column());
  switch (role) {
    case Qt::DisplayRole:
      return Q(Shown(index.row())[column].text);
    case Qt::EditRole:
    case NullRole:
    case TooLongRole: {
      const std::optional<db::Value> v = Read(index.row(), index.column());
      if (role == NullRole) return v && v->IsNull();
      const bool fits = !v || data::FitsEditor(*v);
      if (role == TooLongRole) return !fits;
      if (!v) return QString();
      return fits ? Q(data::EditText(*v)) : Q(Shown(index.row())[column].text);
    }
    case NullableRole:
      return columns_[column].nullable;
    case Qt::TextAlignmentRole: {
      const Qt::Alignment side = Shown(index.row())[column].rightAligned ? Qt::AlignRight : Qt::AlignLeft;
      return QVariant::fromValue(side | Qt::AlignVCenter);
    }
    case Qt::ForegroundRole:
      if (Shown(index.row())[column].kind == data::CellKind::Null) return QBrush(QColor(128, 128, 128));
      return {};
    case Qt::FontRole:
      if (Shown(index.row())[column].kind == data::CellKind::Null) {
        QFont italic;
        italic.setItalic(true);
        return italic;
      }
      return {};
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
  if (section != currentRow_) return QString();
  return editing_ ? kEditingMark : kCurrentMark;
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (source_ && editable_ && !Busy()) f |= Qt::ItemIsEditable;
  return f;
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !source_ || !editable_ || writing_ || Busy() || !index.isValid() ||
      index.row() >= rows_ || index.column() >= columnCount())
    return false;
  writing_ = true;
  const std::optional<QString> refused = Write(index.row(), index.column(), value);
  // A written row reads back what is stored; a refused one is read again, since the
  // refusal often means it changed meanwhile, unless the connection cannot give it.
  if (!refused || Reread(index.row())) Forget(index.row());
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
  // Told once the cell shows the stored value again.
  if (refused && report_) report_(*refused);
  writing_ = false;
  return !refused;
}

std::optional<QString> RecordsetModel::Write(int row, int column, const QVariant& value) {
  try {
    source_->AbsolutePosition(row + 1);
    db::Field field = source_->Fields().Item(column);
    const db::Value before = field.GetValue();
    db::Value after = value.isValid()
                          ? data::FromEdit(value.toString().toStdString(), columns_[static_cast<std::size_t>(column)].type)
                          : db::Value();
    // The same value in another spelling is no change: nothing to write.
    if (before.IsNull() == after.IsNull() && data::EditText(before) == data::EditText(after)) return std::nullopt;
    field.SetValue(std::move(after));
    source_->Update();
    return std::nullopt;
  } catch (...) {
    const CaughtError e = CurrentError();
    try {
      source_->CancelUpdate();
    } catch (...) {
      // a closed record set holds no edit to cancel
    }
    return e.description;
  }
}

bool RecordsetModel::Reread(int row) {
  try {
    source_->AbsolutePosition(row + 1);
    source_->Resync();
    return true;
  } catch (...) {
    return false;
  }
}

std::optional<db::Value> RecordsetModel::Read(int row, int column) const {
  if (Busy()) return std::nullopt;
  try {
    source_->AbsolutePosition(row + 1);
    return source_->Fields().Item(column).GetValue();
  } catch (...) {
    return std::nullopt;
  }
}

const RecordsetModel::Cells& RecordsetModel::Shown(int row) const {
  if (const auto it = kept_.find(row); it != kept_.end()) {
    recent_.splice(recent_.begin(), recent_, it->second.first);
    return it->second.second;
  }
  if (Busy()) {
    blank_.assign(columns_.size(), {});
    return blank_;
  }
  Cells cells(columns_.size());
  try {
    source_->AbsolutePosition(row + 1);
    const db::Fields fields = source_->Fields();
    for (std::size_t c = 0; c < columns_.size(); ++c)
      cells[c] = data::Shown(fields.Item(static_cast<long>(c)).GetValue(), columns_[c].type);
  } catch (...) {
    // Shown empty; read again once the row has left the kept rows or is rebound.
  }
  if (kept_.size() >= kKeptRows) {
    kept_.erase(recent_.back());
    recent_.pop_back();
  }
  recent_.push_front(row);
  return kept_.emplace(row, std::make_pair(recent_.begin(), std::move(cells))).first->second.second;
}

void RecordsetModel::Forget(int row) {
  const auto it = kept_.find(row);
  if (it == kept_.end()) return;
  recent_.erase(it->second.first);
  kept_.erase(it);
}

bool RecordsetModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && source_ && !countKnown_ && !Busy();
}

// Rows of a result whose size the provider cannot tell: grown a block at a time,
// finding the end inside the last block by halving.
void RecordsetModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  std::int64_t have = rows_;
  try {
    if (const std::optional<std::int64_t> count = source_->KnownRecordCount()) {
      have = *count;
      countKnown_ = true;
    } else {
      const std::int64_t want = std::min<std::int64_t>(have + kFetchRows, kMaxRows);
      if (RowExists(want - 1)) {
        have = want;
      } else {
        std::int64_t missing = want - 1;
        while (have < missing) {
          const std::int64_t mid = have + (missing - have) / 2;
          if (RowExists(mid))
            have = mid + 1;
          else
            missing = mid;
        }
        countKnown_ = true;
      }
    }
  } catch (...) {
    // A result that cannot be read further ends where reading stopped.
    countKnown_ = true;
  }
  have = std::clamp<std::int64_t>(have, 0, kMaxRows);
  if (have > rows_) {
    beginInsertRows({}, rows_, static_cast<int>(have) - 1);
    rows_ = static_cast<int>(have);
    endInsertRows();
  }
}

bool RecordsetModel::RowExists(std::int64_t row) const { return source_->TryAbsolutePosition(row + 1); }

bool RecordsetModel::Busy() const { return gate_ && gate_->busy(); }
