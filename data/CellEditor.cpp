#include "data/CellEditor.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
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
  setReadOnly(false);
  setText(text);
  MarkNull(isNull);
  MarkChanged(false);
  selectAll();
}

void CellEditor::ShowTooLong(const QString& shown) {
  setReadOnly(true);
  setText(shown);
  MarkNull(false);
  MarkChanged(false);
  setCursorPosition(0);
}

void CellEditor::keyPressEvent(QKeyEvent* event) {
  // Reaches here only while the action is off: nothing to do, not a refused edit.
  if (QKeySequence(event->keyCombination()) == setNull_->shortcut()) return;
  const bool edits = (!event->text().isEmpty() && event->text().at(0).isPrint()) ||
                     event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
                     event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut);
  if (isReadOnly() && edits) {
    emit EditRefused();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void CellEditor::AllowNull(bool allowed) {
  setNull_->setVisible(allowed);
  setNull_->setEnabled(allowed);
}

void CellEditor::SetNull() {
  if (!setNull_->isEnabled()) return;
  clear();
  MarkNull(true);
  MarkChanged(true);
}

void CellEditor::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->addSeparator();
  menu->addAction(setNull_);
  menu->addSeparator();
  menu->addActions(gridActions_);
  menu->popup(event->globalPos());
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
