#include "dialog/SampleDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString SampleDatabasePath() {
  // The program and the test executables sit one folder below the build root.
  const QDir programDir(QCoreApplication::applicationDirPath());
  for (const char* relative : {"../sample/esempio.db", "sample/esempio.db"}) {
    const QFileInfo candidate(programDir.filePath(relative));
    if (candidate.isFile()) return QDir::cleanPath(candidate.absoluteFilePath());
  }
  return {};
}
