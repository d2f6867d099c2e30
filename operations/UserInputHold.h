#pragma once
#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QEvent;

// Holds the user's input back while a database operation runs and hands it on, in
// its order, when the operation has returned. DoEvents already leaves the input that
// the window system has not delivered yet in its queue; this also holds what has been
// posted to the widgets meanwhile, so a click can never start a second command
// inside a running one. A modal window shown meanwhile, such as the progress window
// of a long call, gets its input at once. Holds may nest: an inner hold's input is
// caught again by the outer one until that ends too.
class UserInputHold final : public QObject {
 public:
  UserInputHold();
  ~UserInputHold() override;
  UserInputHold(const UserInputHold&) = delete;
  UserInputHold& operator=(const UserInputHold&) = delete;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  struct Held {
    QPointer<QObject> receiver;
    std::unique_ptr<QEvent> event;
  };
  std::vector<Held> held_;
};
