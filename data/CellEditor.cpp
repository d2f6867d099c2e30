#include "data/CellEditor.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

#include <limits>
#include <memory>

#include "data/CellText.h"

CellEditor::CellEditor(QWidget* parent) : QLineEdit(parent), setNull_(new QAction("Imposta a NULL", this)) {
  // The whole value, however long: a cut value would be written back cut.
  setMaxLength(std::numeric_limits<int>::max());
  setFrame(false);
  // Without a frame the line edit paints no background of its own.
  setAutoFillBackground(true);
  setNull_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
  setNull_->setShortcutContext(Qt::WidgetShortcut);
  setNull_->setShortcutVisibleInContextMenu(true);
  addAction(setNull_);
  connect(setNull_, &QAction::triggered, this, &CellEditor::SetNull);
  connect(this, &QLineEdit::textEdited, this, [this] {
    MarkNull(false);
    MarkChanged(true);
  });
}

void CellEditor::Show(const QString& text, bool isNull) {
  setText(text);
  MarkNull(isNull);
  MarkChanged(false);
  selectAll();
}

void CellEditor::SetNull() {
  clear();
  MarkNull(true);
  MarkChanged(true);
}

void CellEditor::contextMenuEvent(QContextMenuEvent* event) {
  const std::unique_ptr<QMenu> menu(createStandardContextMenu());
  menu->addSeparator();
  menu->addAction(setNull_);
  menu->exec(event->globalPos());
}

// NULL shows as the grid shows it: the word, grey and italic, in an empty editor.
void CellEditor::MarkNull(bool isNull) {
  null_ = isNull;
  setPlaceholderText(isNull ? QString(data::kNullText) : QString());
  QFont f = font();
  f.setItalic(isNull);
  setFont(f);
}

void CellEditor::MarkChanged(bool changed) {
  if (changed == changed_) return;
  changed_ = changed;
  emit ChangedState(changed);
}
