// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <memory>

#include "base/bytes.h"
#include "host/monitor_selection.h"
#include "host/x11_factories.h"
#include "xvfb_test.h"

namespace px {
namespace {

class ScreenCapturerX11 : public test::XvfbTest {
 protected:
  // An unmanaged window filled with one colour (0xRRGGBB).
  Window solidWindow(int x, int y, int w, int h, unsigned long rgb) {
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.background_pixel = rgb;
    Window win = XCreateWindow(display_, root_, x, y, unsigned(w), unsigned(h), 0, CopyFromParent,
                               InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(display_, win);
    XSync(display_, False);
    return win;
  }

  void fill(Window win, int x, int y, int w, int h, unsigned long rgb) {
    GC gc = XCreateGC(display_, win, 0, nullptr);
    XSetForeground(display_, gc, rgb);
    XFillRectangle(display_, win, gc, x, y, unsigned(w), unsigned(h));
    XFreeGC(display_, gc);
    XSync(display_, False);
  }

  // Acquires until a new frame arrives (at most ~2 s).
  static CaptureResult acquireFrame(ScreenCapturer& c) {
    CaptureResult r = CaptureResult::kTimeout;
    for (int i = 0; i < 20 && r != CaptureResult::kNewFrame; ++i) r = c.acquire(100);
    return r;
  }

  static uint32_t pixel(const CaptureFrame& f, int x, int y) {
    return loadLe32(&f.image[(size_t(y) * size_t(f.width) + size_t(x)) * 4]);
  }

  static bool covered(const std::vector<PixelRect>& rects, int x, int y) {
    for (const PixelRect& r : rects) {
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    }
    return false;
  }

};

TEST_F(ScreenCapturerX11, ListsTheScreenAsOneMonitor) {
  auto capturer = createX11ScreenCapturer(server_->display());
  const std::vector<MonitorInfo> monitors = capturer->enumerateMonitors();
  ASSERT_EQ(monitors.size(), 1u);
  EXPECT_EQ(monitors[0].width, 1280);
  EXPECT_EQ(monitors[0].height, 720);
  EXPECT_EQ(monitors[0].desktop, (PixelRect{0, 0, 1280, 720}));
}

TEST_F(ScreenCapturerX11, CapturesDrawnContentWithDirtyRects) {
  Window win = solidWindow(100, 100, 200, 100, 0xFF0000);
  auto capturer = createX11ScreenCapturer(server_->display());
  MonitorSet set;
  ASSERT_TRUE(startCapture(*capturer, set));
  ASSERT_EQ(acquireFrame(*capturer), CaptureResult::kNewFrame);
  const CaptureFrame& f = capturer->frame();
  EXPECT_TRUE(f.imageValid);
  EXPECT_EQ(pixel(f, 150, 150), 0xFFFF0000u);  // B G R A in memory: red, opaque
  EXPECT_TRUE(covered(f.dirty, 0, 0));        // the first frame reports the whole screen
  EXPECT_TRUE(f.shapeChanged);
  EXPECT_GT(f.cursor.width, 0);
  EXPECT_EQ(f.cursor.pixels.size(), size_t(f.cursor.width) * f.cursor.height * 4);

  EXPECT_EQ(capturer->acquire(50), CaptureResult::kTimeout);

  fill(win, 20, 10, 30, 40, 0x00FF00);  // root (120, 110) to (150, 150)
  ASSERT_EQ(acquireFrame(*capturer), CaptureResult::kNewFrame);
  EXPECT_EQ(pixel(f, 125, 115), 0xFF00FF00u);
  EXPECT_EQ(pixel(f, 160, 160), 0xFFFF0000u);
  EXPECT_TRUE(covered(f.dirty, 120, 110));
  EXPECT_TRUE(covered(f.dirty, 149, 149));
  EXPECT_FALSE(covered(f.dirty, 10, 10));
  EXPECT_FALSE(covered(f.dirty, 1000, 600));
  XDestroyWindow(display_, win);
  XSync(display_, False);
}

TEST_F(ScreenCapturerX11, PointerMoveIsAFrameWithoutDirtyRects) {
  auto capturer = createX11ScreenCapturer(server_->display());
  ASSERT_TRUE(capturer->create(0, 0));
  ASSERT_EQ(acquireFrame(*capturer), CaptureResult::kNewFrame);
  while (capturer->acquire(50) == CaptureResult::kNewFrame) {
  }
  XWarpPointer(display_, None, root_, 0, 0, 0, 0, 321, 234);
  XSync(display_, False);
  ASSERT_EQ(acquireFrame(*capturer), CaptureResult::kNewFrame);
  const CaptureFrame& f = capturer->frame();
  EXPECT_TRUE(f.dirty.empty());
  EXPECT_TRUE(f.cursorVisible);
  EXPECT_EQ(f.cursorX, 321);
  EXPECT_EQ(f.cursorY, 234);
  EXPECT_FALSE(f.shapeChanged);
}

// The pointer is polled slowly while the screen is still, but a frame with changes must carry
// where the pointer is now: the viewer learns the position only from such frames.
TEST_F(ScreenCapturerX11, AFrameWithChangesCarriesTheCurrentPointerPosition) {
  Window win = solidWindow(0, 0, 64, 64, 0x202020);
  auto capturer = createX11ScreenCapturer(server_->display());
  ASSERT_TRUE(capturer->create(0, 0));
  ASSERT_EQ(acquireFrame(*capturer), CaptureResult::kNewFrame);
  while (capturer->acquire(50) == CaptureResult::kNewFrame) {
  }
  XWarpPointer(display_, None, root_, 0, 0, 0, 0, 411, 207);
  fill(win, 0, 0, 8, 8, 0x3050A0);
  CaptureResult r = CaptureResult::kTimeout;
  for (int i = 0; i < 20 && (r != CaptureResult::kNewFrame || capturer->frame().dirty.empty());
       ++i) {
    r = capturer->acquire(100);
  }
  ASSERT_EQ(r, CaptureResult::kNewFrame);
  const CaptureFrame& f = capturer->frame();
  ASSERT_FALSE(f.dirty.empty());
  EXPECT_TRUE(f.cursorVisible);
  EXPECT_EQ(f.cursorX, 411);
  EXPECT_EQ(f.cursorY, 207);
  XDestroyWindow(display_, win);
  XSync(display_, False);
}

TEST_F(ScreenCapturerX11, CapturesARightHandMonitorInItsOwnPixels) {
  int eventBase = 0, errorBase = 0;
  if (!XRRQueryExtension(display_, &eventBase, &errorBase)) GTEST_SKIP() << "no RandR on Xvfb";
  // Two monitors over the one screen: right half listed first, left half second.
  const char* names[] = {"PX-RIGHT", "PX-LEFT"};
  const int lefts[] = {640, 0};
  for (int i = 0; i < 2; ++i) {
    XRRMonitorInfo* m = XRRAllocateMonitor(display_, 0);
    m->name = XInternAtom(display_, names[i], False);
    m->x = lefts[i];
    m->y = 0;
    m->width = 640;
    m->height = 720;
    m->mwidth = 160;
    m->mheight = 180;
    XRRSetMonitor(display_, root_, m);
    XRRFreeMonitors(m);
  }
  XSync(display_, False);
  Window win = solidWindow(700, 50, 50, 50, 0x0000FF);

  auto capturer = createX11ScreenCapturer(server_->display());
  std::vector<MonitorInfo> raw = capturer->enumerateMonitors();
  MonitorSet set;
  ASSERT_TRUE(startCapture(*capturer, set));
  if (raw.size() < 2) GTEST_SKIP() << "Xvfb kept " << raw.size() << " monitor(s)";
  ASSERT_EQ(set.monitors.size(), raw.size());  // the screen's own monitor may stay listed
  int right = -1;
  for (size_t i = 0; i < set.monitors.size(); ++i) {
    if (i > 0) {
      EXPECT_LE(set.monitors[i - 1].desktop.left, set.monitors[i].desktop.left);
    }
    if (set.monitors[i].desktop.left == 640) right = int(i);
  }
  ASSERT_GE(right, 0);
  if (set.current != right) {
    ASSERT_EQ(switchMonitor(*capturer, set, right), SwitchOutcome::kSwitched);
  }
  ASSERT_EQ(acquireFrame(*capturer), CaptureResult::kNewFrame);
  const CaptureFrame& f = capturer->frame();
  EXPECT_EQ(f.width, 640);
  EXPECT_EQ(pixel(f, 70, 60), 0xFF0000FFu);  // root (710, 60)

  for (const char* name : names) XRRDeleteMonitor(display_, root_, XInternAtom(display_, name, False));
  XDestroyWindow(display_, win);
  XSync(display_, False);
}

}  // namespace
}  // namespace px
