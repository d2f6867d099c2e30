#include "operations/LogTarget.h"

#include "db/ConnectionString.h"

QString LogTarget(const QString& connectionText) {
  return QString::fromStdString(db::MaskPasswords(connectionText.toStdString()));
}
