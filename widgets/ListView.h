#pragma once
#include <QHeaderView>
#include <QPointer>
#include <QTableView>

#include "widgets/ListModel.h"

class ImageList;

// One row of a ListView. A handle: it stays valid while the row exists, and turns
// empty (isNull) once the list is cleared.
class ListItem {
 public:
  ListItem() = default;
  ListItem(ListModel* model, int row) : model_(model), row_(row), generation_(model->Generation()) {}

  bool isNull() const;
  explicit operator bool() const { return !isNull(); }
  int Index() const { return isNull() ? 0 : row_ + 1; }  // 1-based

  QString Text() const;
  void setText(const QString& text);
  // n = 1 for the second column, 2 for the third.
  QString SubItems(int n) const;
  void setSubItems(int n, const QString& text);
  qint32 Tag() const;
  void setTag(qint32 tag);
  // A hidden text that travels with the row and is never shown.
  QString UserValue() const;
  void setUserValue(const QString& value);
  int SmallIcon() const;

 private:
  QPointer<ListModel> model_;
  int row_ = -1;
  quint64 generation_ = 0;
};

// The rows of a ListView.
class ListItemCollection {
 public:
  explicit ListItemCollection(ListModel* model) : model_(model) {}
  void Clear() { model_->Clear(); }
  // Appends a row with the picture number as its icon.
  ListItem Add(const QString& text, int icon) { return ListItem(model_, model_->Append(text, icon)); }
  int Count() const { return model_->Count(); }
  // 1-based; an empty item outside the list.
  ListItem Item(int index) const;

 private:
  ListModel* model_;
};

class ListView;

// A column header; widths are in twips at the list's screen DPI.
class ColumnHeader {
 public:
  ColumnHeader(const ListView* view, int index) : view_(view), index_(index) {}
  QString Text() const;
  double Width() const;
  // Refuses a negative width and leaves the column as it was; returns whether it took it.
  bool setWidth(double twips);

 private:
  const ListView* view_;
  int index_;  // 1-based
};

// A report-style list view: rows under left-aligned column headers, each with a
// picture of the window's image list. A click and a double click are reported.
// A table of rows of one fixed height, not a tree: a tree lays out all its rows again
// after every row added, which the event log of a long session cannot afford.
class ListView final : public QTableView {
  Q_OBJECT

 public:
  ListView(const QStringList& columnTitles, const ImageList* pictures, QWidget* parent);

  ListItemCollection ListItems() { return ListItemCollection(model_); }
  // Empty (isNull) when no row is selected.
  ListItem SelectedItem() const;
  ColumnHeader ColumnHeaders(int index) const { return ColumnHeader(this, index); }
  int ColumnCount() const { return model_->columnCount(); }
  QHeaderView* header() const { return horizontalHeader(); }

 signals:
  void Click();
  void DblClick();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  int RowHeight() const;

  ListModel* model_;
  bool releaseEndsDoubleClick_ = false;
};
