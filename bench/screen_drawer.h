// Draws on an X display from its own connection, as an application would: whole-screen pictures
// kept in server pixmaps (so a repaint is one copy inside the server) and small filled rectangles.
// One thread at a time.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace px::bench {

class ScreenDrawer {
 public:
  explicit ScreenDrawer(const std::string& display);
  ~ScreenDrawer();
  ScreenDrawer(const ScreenDrawer&) = delete;
  ScreenDrawer& operator=(const ScreenDrawer&) = delete;

  bool open() const { return display_ != nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Uploads every top-level corpus picture (B G R, cropped or padded to the screen); false when
  // fewer than two could be read.
  bool loadCorpusPictures();
  size_t pictureCount() const { return pictures_.size(); }
  // Copies picture `index` over the whole root window and waits until the server has done it.
  void showPicture(size_t index);
  // Fills a rectangle with 0xRRGGBB and waits until the server has done it.
  void fillRect(int x, int y, int w, int h, uint32_t rgb);

 private:
  Display* display_ = nullptr;
  Window root_ = 0;
  GC gc_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  std::vector<Pixmap> pictures_;
};

}  // namespace px::bench
