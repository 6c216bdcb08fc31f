#include "viewer/screen_image.h"

#include <new>

namespace px {

bool isAcceptableScreenSize(int width, int height) {
  return width >= 1 && height >= 1 && width <= kMaxScreenSide && height <= kMaxScreenSide &&
         int64_t(width) * height <= kMaxScreenPixels;
}

bool ScreenImage::resetLocked(int newWidth, int newHeight) {
  if (!isAcceptableScreenSize(newWidth, newHeight)) return false;
  try {
    Bytes fresh(size_t(newWidth) * newHeight * 4, 0);
    pixels.swap(fresh);
  } catch (const std::bad_alloc&) {
    return false;
  }
  width = newWidth;
  height = newHeight;
  publishedWidth.store(newWidth);
  publishedHeight.store(newHeight);
  return true;
}

}  // namespace px
