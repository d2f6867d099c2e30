#pragma once
// A copy of a cached file that a scenario may change, removed with the object.
// It lives in memory (/dev/shm) when it can: on this kind of disk every commit
// waits ~20 ms for fsync, which would bury what the edits cost in the program.
#include <QTemporaryDir>

#include <cstdint>
#include <string>

namespace bench {

class ScratchCopy {
 public:
  explicit ScratchCopy(const std::string& file);
  const std::string& path() const { return path_; }

 private:
  QTemporaryDir dir_;
  std::string path_;
};

// The 0-based rows that the edit scenarios change: one after the other from the top,
// as a user edits a column down the grid, so the rows are read as the grid reads
// them and the figure is that of writing back (reaching rows anywhere is what
// sqlite_last_row measures).
inline std::int64_t EditedRow(int edit) { return edit; }

}  // namespace bench
