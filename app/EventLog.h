#pragma once
#include <QString>

class ListView;
class QWidget;

// The event log `txtEvent`: one line per outcome of a database operation.
class EventLog {
 public:
  explicit EventLog(ListView& txtEvent) : txtEvent_(txtEvent) {}

  void ScriviEvento(const QString& description, double number, bool isError);
  // The selected line's description in a box of its own kind.
  void ShowSelected(QWidget* parent) const;

 private:
  ListView& txtEvent_;
};
