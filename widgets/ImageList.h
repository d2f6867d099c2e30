#pragma once
#include <vector>

#include <QIcon>
#include <QObject>

// The window's pictures for list rows, addressed by position from 1; the positions
// are fixed because callers pick pictures by number.
class ImageList final : public QObject {
  Q_OBJECT

 public:
  explicit ImageList(QObject* parent);

  int Count() const { return static_cast<int>(images_.size()); }
  // A null icon for a position that does not exist.
  QIcon ListImages(int position) const;

 private:
  std::vector<QIcon> images_;
};
