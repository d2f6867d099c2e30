#pragma once
#include <QLineEdit>
#include <QList>

class QAction;

// The editor of the grid's current cell. It holds the whole value, however long, and
// can hold NULL apart from an empty text: "Imposta a NULL" in its context menu, or
// Ctrl+0, where the column takes NULL. Typing turns NULL back into text.
class CellEditor final : public QLineEdit {
  Q_OBJECT

 public:
  explicit CellEditor(QWidget* parent);

  // Shows a stored value; the editor counts as unchanged until the user edits it.
  void Show(const QString& text, bool isNull);
  // Shows the start of a value too long to edit: typing is refused (EditRefused),
  // only "Imposta a NULL" changes it.
  void ShowTooLong(const QString& shown);
  void SetNull();
  // A column that cannot hold NULL is not offered it: the engine would only refuse it.
  void AllowNull(bool allowed);
  // Put at the end of the context menu.
  void setGridActions(QList<QAction*> actions) { gridActions_ = std::move(actions); }
  bool isNull() const { return null_; }
  bool changed() const { return changed_; }

 signals:
  // The value differs, or no longer differs, from the one shown.
  void ChangedState(bool changed);
  // A key that would change the text of a value too long to edit.
  void EditRefused();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void MarkNull(bool isNull);
  void MarkChanged(bool changed);

  QAction* setNull_;
  QList<QAction*> gridActions_;
  bool null_ = false;
  bool changed_ = false;
};
