#include "widgets/ImageList.h"

#include "widgets/Pictures.h"

ImageList::ImageList(QObject* parent) : QObject(parent) {
  for (int position = 1; position <= kPictureCount; ++position)
    images_.emplace_back(DrawPicture(position));
}

QIcon ImageList::ListImages(int position) const {
  if (position < 1 || position > Count()) return {};
  return images_[position - 1];
}
