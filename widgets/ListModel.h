#pragma once
#include <vector>

#include <QAbstractItemModel>
#include <QStringList>

class ImageList;

// The rows of a report-style list: an item text, sub-item texts for the further
// columns, a picture number, a 32-bit tag and a hidden user text per row. Rows are
// only appended or all cleared; appending costs O(1), so the event log stays cheap
// however long it grows.
class ListModel final : public QAbstractItemModel {
  Q_OBJECT

 public:
  ListModel(QStringList columnTitles, const ImageList* pictures, QObject* parent);

  // Grows on every Clear: a row handle from before a Clear is no longer valid.
  quint64 Generation() const { return generation_; }
  int Count() const { return static_cast<int>(rows_.size()); }

  int Append(const QString& text, int picture);
  void Clear();

  QString Text(int row) const;
  void SetText(int row, const QString& text);
  // n = 1 for the second column, 2 for the third.
  QString SubItem(int row, int n) const;
  void SetSubItem(int row, int n, const QString& text);
  qint32 Tag(int row) const;
  void SetTag(int row, qint32 tag);
  QString UserValue(int row) const;
  void SetUserValue(int row, const QString& value);
  int Picture(int row) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  struct Row {
    QString text;
    QStringList subItems;
    QString userValue;
    int picture = 0;
    qint32 tag = 0;
  };

  bool Valid(int row) const { return row >= 0 && row < Count(); }

  QStringList titles_;
  const ImageList* pictures_;
  std::vector<Row> rows_;
  quint64 generation_ = 0;
};
