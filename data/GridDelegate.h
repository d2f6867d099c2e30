#pragma once
#include <QStyledItemDelegate>

class DataGrid;

// Cells of the grid: painted on the cell colour over the grid's grey empty area with
// dark grey dividers, and edited in a CellEditor whose navigation keys the grid handles.
class GridDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit GridDelegate(DataGrid* grid);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  // The editor leaves the cell's dividers showing.
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  // Qt lets go of an editor itself where its cell has gone: the grid forgets it then.
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
  // Writes only what the user changed, then shows what is stored.
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  DataGrid* grid_;
};
