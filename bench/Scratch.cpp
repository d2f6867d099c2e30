#include "bench/Scratch.h"

#include <QDir>

#include <filesystem>

#include "bench/Bench.h"

namespace bench {
namespace {

QString ScratchTemplate() {
  const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
  return base + "/cartavo-bench-XXXXXX";
}

}  // namespace

ScratchCopy::ScratchCopy(const std::string& file) : dir_(ScratchTemplate()) {
  if (!dir_.isValid()) throw BenchError("cannot make a scratch folder: " + dir_.errorString().toStdString());
  path_ = dir_.filePath("scratch.db").toStdString();
  std::filesystem::copy_file(file, path_);
}

}  // namespace bench
