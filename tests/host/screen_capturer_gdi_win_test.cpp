// The GDI capturer and the Windows fallback on the real screen (under Wine: the Xvfb screen). A
// borderless top-most window of a known colour is the fixture.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>

#include "host/capturers_win.h"
#include "host/fallback_capturer.h"
#include "host/monitor_selection.h"
#include "host/screen_capturer.h"

namespace px {
namespace {

constexpr int kWindowLeft = 100;  // virtual-desktop pixels
constexpr int kWindowTop = 120;
constexpr int kWindowWidth = 200;
constexpr int kWindowHeight = 150;
const wchar_t kClassName[] = L"PxGdiCaptureFixture";

COLORREF gColour = RGB(0x12, 0x9A, 0xCD);

LRESULT CALLBACK fixtureProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HBRUSH brush = CreateSolidBrush(gColour);
    RECT r;
    GetClientRect(window, &r);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    EndPaint(window, &ps);
    return 0;
  }
  if (message == WM_SETCURSOR) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
  }
  return DefWindowProcW(window, message, w, l);
}

void pumpMessages(int ms) {
  const DWORD end = GetTickCount() + DWORD(ms);
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (int(end - GetTickCount()) > 0);
}

class FixtureWindow {
 public:
  FixtureWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = fixtureProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"fixture",
                              WS_POPUP | WS_VISIBLE, kWindowLeft, kWindowTop, kWindowWidth,
                              kWindowHeight, nullptr, nullptr, wc.hInstance, nullptr);
    if (window_) {
      UpdateWindow(window_);
      pumpMessages(300);
    }
  }
  ~FixtureWindow() {
    if (window_) DestroyWindow(window_);
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
  }
  FixtureWindow(const FixtureWindow&) = delete;
  FixtureWindow& operator=(const FixtureWindow&) = delete;

  HWND get() const { return window_; }
  void repaint(COLORREF colour) {
    gColour = colour;
    InvalidateRect(window_, nullptr, TRUE);
    UpdateWindow(window_);
    pumpMessages(200);
  }

 private:
  HWND window_ = nullptr;
};

// The image's B G R A at a virtual-desktop point.
uint32_t pixelAt(const CaptureFrame& f, int x, int y) {
  const size_t at = (size_t(y - f.desktop.top) * size_t(f.width) + size_t(x - f.desktop.left)) * 4;
  return uint32_t(f.image[at]) | uint32_t(f.image[at + 1]) << 8 | uint32_t(f.image[at + 2]) << 16 |
         uint32_t(f.image[at + 3]) << 24;
}

uint32_t bgra(COLORREF c) {
  return uint32_t(GetBValue(c)) | uint32_t(GetGValue(c)) << 8 | uint32_t(GetRValue(c)) << 16 |
         0xFF000000u;
}

// Acquires until the point shows the colour or two seconds pass; the last result.
CaptureResult acquireUntil(ScreenCapturer& capturer, int x, int y, uint32_t expected) {
  CaptureResult r = CaptureResult::kFailed;
  for (int i = 0; i < 40; ++i) {
    r = capturer.acquire(50);
    if (capturer.frame().imageValid && pixelAt(capturer.frame(), x, y) == expected) break;
    pumpMessages(20);
  }
  return r;
}

// The monitor that shows the fixture window; the test skips when there is none.
bool openFixtureMonitor(ScreenCapturer& capturer) {
  for (const MonitorInfo& m : capturer.enumerateMonitors()) {
    const PixelRect& d = m.desktop;
    if (d.left <= kWindowLeft && d.top <= kWindowTop && d.right >= kWindowLeft + kWindowWidth &&
        d.bottom >= kWindowTop + kWindowHeight) {
      return capturer.create(m.adapterIndex, m.outputIndex);
    }
  }
  return false;
}

TEST(ScreenCapturerGdi, CapturesAWindowAndFindsItsChanges) {
  FixtureWindow window;
  if (!window.get()) GTEST_SKIP() << "no window could be made (no desktop)";
  auto capturer = createGdiScreenCapturer();
  if (!openFixtureMonitor(*capturer)) GTEST_SKIP() << "no monitor shows the fixture window";
  const CaptureFrame& f = capturer->frame();
  const int x = kWindowLeft + 50, y = kWindowTop + 40;

  acquireUntil(*capturer, x, y, bgra(RGB(0x12, 0x9A, 0xCD)));
  ASSERT_TRUE(f.imageValid);
  ASSERT_EQ(f.image.size(), size_t(f.width) * size_t(f.height) * 4);
  EXPECT_EQ(pixelAt(f, x, y), bgra(RGB(0x12, 0x9A, 0xCD)));

  // Nothing moved: no dirty rectangle (a pointer-only frame may still come).
  Sleep(100);
  const CaptureResult quiet = capturer->acquire(100);
  EXPECT_TRUE(quiet == CaptureResult::kTimeout ||
              (quiet == CaptureResult::kNewFrame && f.dirty.empty()))
      << int(quiet) << " with " << f.dirty.size() << " rectangles";

  window.repaint(RGB(0xF0, 0x20, 0x40));
  ASSERT_EQ(acquireUntil(*capturer, x, y, bgra(RGB(0xF0, 0x20, 0x40))), CaptureResult::kNewFrame);
  EXPECT_EQ(pixelAt(f, x, y), bgra(RGB(0xF0, 0x20, 0x40)));
  // The reported cells cover the window and stay on the 64-pixel grid.
  const int32_t wl = kWindowLeft - f.desktop.left, wt = kWindowTop - f.desktop.top;
  int32_t left = f.width, top = f.height, right = 0, bottom = 0;
  for (const PixelRect& r : f.dirty) {
    EXPECT_EQ(r.left % 64, 0);
    EXPECT_EQ(r.top % 64, 0);
    left = std::min(left, r.left);
    top = std::min(top, r.top);
    right = std::max(right, r.right);
    bottom = std::max(bottom, r.bottom);
  }
  EXPECT_LE(left, wl);
  EXPECT_LE(top, wt);
  EXPECT_GE(right, wl + kWindowWidth);
  EXPECT_GE(bottom, wt + kWindowHeight);
}

TEST(ScreenCapturerGdi, PointerOverTheWindow) {
  FixtureWindow window;
  if (!window.get()) GTEST_SKIP() << "no window could be made (no desktop)";
  auto capturer = createGdiScreenCapturer();
  if (!openFixtureMonitor(*capturer)) GTEST_SKIP() << "no monitor shows the fixture window";
  SetCursorPos(kWindowLeft + 20, kWindowTop + 30);
  pumpMessages(200);
  CURSORINFO info{};
  info.cbSize = sizeof info;
  if (!GetCursorInfo(&info) || !(info.flags & CURSOR_SHOWING) || !info.hCursor) {
    GTEST_SKIP() << "GetCursorInfo reports no visible pointer here";
  }
  const CaptureFrame& f = capturer->frame();
  bool shape = false;
  for (int i = 0; i < 10 && !shape; ++i) {
    if (capturer->acquire(50) == CaptureResult::kNewFrame) shape = f.shapeChanged;
  }
  EXPECT_TRUE(f.cursorVisible);
  EXPECT_EQ(f.cursorX, info.ptScreenPos.x - f.desktop.left);
  EXPECT_EQ(f.cursorY, info.ptScreenPos.y - f.desktop.top);
  ASSERT_TRUE(shape) << "the first frame brings the pointer image";
  EXPECT_GT(f.cursor.width, 0);
  EXPECT_EQ(f.cursor.pixels.size(), size_t(f.cursor.width) * size_t(f.cursor.height) * 4);
}

// Where duplication cannot start (Wine), the platform's capturer still captures, through GDI.
TEST(ScreenCapturerWin, FallbackStartsWhereverAMonitorCanBeCaptured) {
  FallbackScreenCapturer capturer({"DXGI", createDxgiScreenCapturer},
                                  {"GDI", createGdiScreenCapturer});
  MonitorSet set;
  if (capturer.enumerateMonitors().empty()) GTEST_SKIP() << "no monitor";
  ASSERT_TRUE(startCapture(capturer, set));
  ASSERT_NE(capturer.activeName(), nullptr);
  std::printf("capturing with %s\n", capturer.activeName());
  CaptureResult r = CaptureResult::kTimeout;
  for (int i = 0; i < 20 && r != CaptureResult::kNewFrame; ++i) r = capturer.acquire(100);
  ASSERT_EQ(r, CaptureResult::kNewFrame);
  const CaptureFrame& f = capturer.frame();
  EXPECT_TRUE(f.imageValid);
  EXPECT_EQ(f.image.size(), size_t(f.width) * size_t(f.height) * 4);
  EXPECT_EQ(f.desktop, set.monitors[size_t(set.current)].desktop);
  auto platform = createScreenCapturer();
  MonitorSet platformSet;
  EXPECT_TRUE(startCapture(*platform, platformSet));
}

}  // namespace
}  // namespace px
