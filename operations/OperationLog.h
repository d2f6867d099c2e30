#pragma once
#include <functional>

#include <QString>

// Where the window's operations write their outcome: the event log, naming the
// connection as the log names it. Handed to each subsystem instead of the log itself.
class OperationLog {
 public:
  using Write = std::function<void(const QString& description, double number, bool isError)>;
  // The connection text of the operation, read when the line is written.
  using Target = std::function<QString()>;

  OperationLog(Write write, Target target) : write_(std::move(write)), target_(std::move(target)) {}

  void Event(const QString& description, double number, bool isError) const {
    write_(description, number, isError);
  }
  // Only inside a catch block: the error being handled.
  void Error() const;
  // Only inside a catch block: the error being handled, then `line` with the target.
  void Failed(const QString& line) const { Failed(line, target_()); }
  void Failed(const QString& line, const QString& connectionText) const;
  void Succeeded(const QString& line) const;

 private:
  Write write_;
  Target target_;
};
