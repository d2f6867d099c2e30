#include "data/GridDelegate.h"

#include <QKeyEvent>
#include <QPainter>

#include "data/CellEditor.h"
#include "data/DataGrid.h"
#include "data/RecordsetModel.h"

GridDelegate::GridDelegate(DataGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

namespace {
const QColor kDividers(128, 128, 128);  // dark grey lines between rows and columns
}  // namespace

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QRect& r = option.rect;
  painter->fillRect(r, option.palette.base());
  QStyledItemDelegate::paint(painter, option, index);
  painter->save();
  painter->setPen(kDividers);
  painter->drawLine(r.bottomLeft(), r.bottomRight());
  painter->drawLine(r.topRight(), r.bottomRight());
  painter->restore();
}

void GridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                        const QModelIndex&) const {
  editor->setGeometry(option.rect.adjusted(0, 0, -1, -1));
}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
  auto* editor = new CellEditor(parent);
  grid_->EditorOpened(editor);
  return editor;
}

void GridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
  grid_->EditorReleased(editor);
  QStyledItemDelegate::destroyEditor(editor, index);
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* e = qobject_cast<CellEditor*>(editor);
  if (!e) return;
  e->setAlignment(index.data(Qt::TextAlignmentRole).value<Qt::Alignment>());
  e->AllowNull(index.data(RecordsetModel::NullableRole).toBool());
  if (index.data(RecordsetModel::TooLongRole).toBool())
    e->ShowTooLong(index.data(Qt::EditRole).toString());
  else
    e->Show(index.data(Qt::EditRole).toString(), index.data(RecordsetModel::NullRole).toBool());
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  auto* e = qobject_cast<CellEditor*>(editor);
  if (!e || !e->changed()) return;
  model->setData(index, e->isNull() ? QVariant() : QVariant(e->text()), Qt::EditRole);
  setEditorData(editor, index);
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event) {
  auto* editor = qobject_cast<CellEditor*>(object);
  if (editor && event->type() == QEvent::KeyPress && grid_->EditorKey(*editor, *static_cast<QKeyEvent*>(event)))
    return true;
  return QStyledItemDelegate::eventFilter(object, event);
}
