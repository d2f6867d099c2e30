#include "widgets/ListModel.h"

#include "widgets/ImageList.h"

ListModel::ListModel(QStringList columnTitles, const ImageList* pictures, QObject* parent)
    : QAbstractItemModel(parent), titles_(std::move(columnTitles)), pictures_(pictures) {}

int ListModel::Append(const QString& text, int picture) {
  const int row = Count();
  beginInsertRows({}, row, row);
  rows_.push_back(Row{text, {}, {}, picture, 0});
  endInsertRows();
  return row;
}

void ListModel::Clear() {
  beginResetModel();
  rows_.clear();
  ++generation_;
  endResetModel();
}

QString ListModel::Text(int row) const { return Valid(row) ? rows_[row].text : QString(); }

void ListModel::SetText(int row, const QString& text) {
  if (!Valid(row)) return;
  rows_[row].text = text;
  emit dataChanged(index(row, 0), index(row, 0));
}

QString ListModel::SubItem(int row, int n) const {
  if (!Valid(row) || n < 1 || n > rows_[row].subItems.size()) return {};
  return rows_[row].subItems[n - 1];
}

void ListModel::SetSubItem(int row, int n, const QString& text) {
  if (!Valid(row) || n < 1 || n >= titles_.size()) return;
  QStringList& subs = rows_[row].subItems;
  while (subs.size() < n) subs.append(QString());
  subs[n - 1] = text;
  emit dataChanged(index(row, n), index(row, n));
}

qint32 ListModel::Tag(int row) const { return Valid(row) ? rows_[row].tag : 0; }

void ListModel::SetTag(int row, qint32 tag) {
  if (Valid(row)) rows_[row].tag = tag;
}

QString ListModel::UserValue(int row) const { return Valid(row) ? rows_[row].userValue : QString(); }

void ListModel::SetUserValue(int row, const QString& value) {
  if (Valid(row)) rows_[row].userValue = value;
}

int ListModel::Picture(int row) const { return Valid(row) ? rows_[row].picture : 0; }

QModelIndex ListModel::index(int row, int column, const QModelIndex& parent) const {
  if (parent.isValid() || !Valid(row) || column < 0 || column >= titles_.size()) return {};
  return createIndex(row, column);
}

QModelIndex ListModel::parent(const QModelIndex&) const { return {}; }

int ListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !Valid(index.row())) return {};
  const Row& r = rows_[index.row()];
  const int column = index.column();
  if (role == Qt::DisplayRole) return column == 0 ? r.text : SubItem(index.row(), column);
  if (role == Qt::DecorationRole && column == 0 && pictures_) return pictures_->ListImages(r.picture);
  return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= titles_.size()) return {};
  if (role == Qt::DisplayRole) return titles_[section];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}
