#include "operations/OperationLog.h"

#include "operations/CaughtError.h"
#include "operations/LogTarget.h"

void OperationLog::Error() const {
  const CaughtError e = CurrentError();
  write_(e.description, e.number, true);
}

void OperationLog::Failed(const QString& line, const QString& connectionText) const {
  Error();
  write_(line + LogTarget(connectionText), 0, true);
}

void OperationLog::Succeeded(const QString& line) const { write_(line + LogTarget(target_()), 0, false); }
