#include "screen_drawer.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>

#include "support/corpus.h"

namespace px::bench {

ScreenDrawer::ScreenDrawer(const std::string& display) {
  display_ = XOpenDisplay(display.c_str());
  if (!display_) return;
  const int screen = DefaultScreen(display_);
  root_ = RootWindow(display_, screen);
  width_ = DisplayWidth(display_, screen);
  height_ = DisplayHeight(display_, screen);
  gc_ = XCreateGC(display_, root_, 0, nullptr);
  XSetSubwindowMode(display_, gc_, IncludeInferiors);
}

ScreenDrawer::~ScreenDrawer() {
  if (!display_) return;
  for (Pixmap p : pictures_) XFreePixmap(display_, p);
  XFreeGC(display_, gc_);
  XCloseDisplay(display_);
}

bool ScreenDrawer::loadCorpusPictures() {
  if (!display_) return false;
  const int screen = DefaultScreen(display_);
  const int depth = DefaultDepth(display_, screen);
  Visual* visual = DefaultVisual(display_, screen);
  std::vector<char> pixels(size_t(width_) * size_t(height_) * 4);
  for (const auto& file : test::corpusKeyFrames(test::corpusDir())) {
    test::BgraImage picture;
    if (!test::loadPngAsBgra(file, picture)) continue;
    std::fill(pixels.begin(), pixels.end(), 0);
    const int rows = std::min(height_, picture.height), columns = std::min(width_, picture.width);
    for (int y = 0; y < rows; ++y) {
      std::memcpy(&pixels[size_t(y) * size_t(width_) * 4],
                  picture.pixels.data() + size_t(y) * size_t(picture.width) * 4, size_t(columns) * 4);
    }
    XImage* image = XCreateImage(display_, visual, unsigned(depth), ZPixmap, 0, pixels.data(),
                                 unsigned(width_), unsigned(height_), 32, width_ * 4);
    if (!image) continue;
    const Pixmap pixmap = XCreatePixmap(display_, root_, unsigned(width_), unsigned(height_),
                                        unsigned(depth));
    XPutImage(display_, pixmap, gc_, image, 0, 0, 0, 0, unsigned(width_), unsigned(height_));
    image->data = nullptr;  // the buffer is ours
    XDestroyImage(image);
    pictures_.push_back(pixmap);
  }
  XSync(display_, False);
  return pictures_.size() >= 2;
}

void ScreenDrawer::showPicture(size_t index) {
  XCopyArea(display_, pictures_[index % pictures_.size()], root_, gc_, 0, 0, unsigned(width_),
            unsigned(height_), 0, 0);
  XSync(display_, False);
}

void ScreenDrawer::fillRect(int x, int y, int w, int h, uint32_t rgb) {
  XSetForeground(display_, gc_, rgb);
  XFillRectangle(display_, root_, gc_, x, y, unsigned(w), unsigned(h));
  XSync(display_, False);
}

}  // namespace px::bench
