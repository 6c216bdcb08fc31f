// px-gdi-capture-bench: what one acquire of the GDI capturer costs on the real screen (under
// Wine: the X screen), for a screen that did not change and for one that changed everywhere.
// Google Benchmark has no mingw build, so this is a small timing program of its own.
//
//   px-gdi-capture-bench [--iterations N]      (default 50 per case)
//
// A full-screen window of its own shows one of two noise images that differ in every pixel. Each
// acquire is timed alone: the window is repainted, the new image awaited on the screen and the
// capturer's poll interval let pass before the clock starts. Exit status 1 when capture fails.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "host/capturers_win.h"
#include "host/gdi_handles_win.h"
#include "host/screen_capturer.h"
#include "timing_stats.h"

namespace px {
namespace {

using Clock = std::chrono::steady_clock;

const wchar_t kClassName[] = L"PxGdiCaptureBench";
// Longer than the capturer's poll interval (33 ms), so that every timed acquire copies the screen
// at once instead of sleeping until the next poll.
constexpr int kSettleMs = 40;
constexpr DWORD kShowTimeoutMs = 3000;

struct Screen {
  int width = 0;
  int height = 0;
  BITMAPINFO info{};
  Bytes images[2];  // B G R X, rows top to bottom; image 1 is image 0 with every byte inverted
  int shown = 0;
};
Screen gScreen;

LRESULT CALLBACK benchProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    SetDIBitsToDevice(dc, 0, 0, DWORD(gScreen.width), DWORD(gScreen.height), 0, 0, 0,
                      UINT(gScreen.height), gScreen.images[gScreen.shown].data(), &gScreen.info,
                      DIB_RGB_COLORS);
    EndPaint(window, &ps);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, w, l);
}

void pumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Pumps messages for `ms`: the window's pixels reach the screen meanwhile.
void settle(int ms) {
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
  do {
    pumpMessages();
    Sleep(5);
  } while (Clock::now() < end);
}

void makeImages() {
  const size_t size = size_t(gScreen.width) * size_t(gScreen.height) * 4;
  std::mt19937 random(42);
  gScreen.images[0].resize(size);
  gScreen.images[1].resize(size);
  for (size_t i = 0; i < size; ++i) {
    gScreen.images[0][i] = uint8_t(random());
    gScreen.images[1][i] = uint8_t(~gScreen.images[0][i]);
  }
}

COLORREF expectedAt(int x, int y) {
  const uint8_t* p = &gScreen.images[gScreen.shown][(size_t(y) * gScreen.width + x) * 4];
  return RGB(p[2], p[1], p[0]);
}

// The corners and the centre of the screen show the current image. The last rows are drawn
// last, so the bottom-right corner also tells that the whole image has arrived.
bool screenShowsImage(HDC screen) {
  const int w = gScreen.width, h = gScreen.height;
  const POINT probes[] = {{0, 0}, {w - 1, 0}, {w / 2, h / 2}, {0, h - 1}, {w - 1, h - 1}};
  for (const POINT& p : probes) {
    if (GetPixel(screen, p.x, p.y) != expectedAt(p.x, p.y)) return false;
  }
  return true;
}

bool showImage(HWND window, int index) {
  gScreen.shown = index;
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  ScreenDc screen(GetDC(nullptr));
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(kShowTimeoutMs);
  while (Clock::now() < end) {
    pumpMessages();
    if (screenShowsImage(screen.get())) return true;
    Sleep(2);
  }
  return false;
}

HWND createWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = benchProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);
  return CreateWindowExW(WS_EX_TOPMOST, kClassName, L"px-gdi-capture-bench", WS_POPUP | WS_VISIBLE,
                         0, 0, gScreen.width, gScreen.height, nullptr, nullptr, wc.hInstance,
                         nullptr);
}

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long dirtyArea(const CaptureFrame& frame) {
  long area = 0;
  for (const PixelRect& r : frame.dirty) {
    const long w = std::min(r.right, frame.width) - std::max(r.left, 0);
    const long h = std::min(r.bottom, frame.height) - std::max(r.top, 0);
    if (w > 0 && h > 0) area += w * h;
  }
  return area;
}

void benchUnchanged(ScreenCapturer& capturer, int iterations) {
  std::vector<double> ms;
  int nothingNew = 0;
  for (int i = 0; i < iterations; ++i) {
    settle(kSettleMs);
    const Clock::time_point start = Clock::now();
    const CaptureResult result = capturer.acquire(0);
    ms.push_back(msSince(start));
    nothingNew += result == CaptureResult::kTimeout;
  }
  report("unchanged screen:", ms,
         std::to_string(nothingNew) + " of " + std::to_string(iterations) + " found nothing new");
}

bool benchWholeScreen(ScreenCapturer& capturer, HWND window, int iterations) {
  std::vector<double> ms;
  int whole = 0;
  const long screenArea = long(gScreen.width) * gScreen.height;
  for (int i = 0; i < iterations; ++i) {
    if (!showImage(window, 1 - gScreen.shown)) {
      std::fprintf(stderr, "the new image did not reach the screen\n");
      return false;
    }
    settle(kSettleMs);
    const Clock::time_point start = Clock::now();
    const CaptureResult result = capturer.acquire(0);
    ms.push_back(msSince(start));
    whole += result == CaptureResult::kNewFrame && dirtyArea(capturer.frame()) == screenArea;
  }
  report("whole screen changed:", ms,
         std::to_string(whole) + " of " + std::to_string(iterations) + " reported the whole screen");
  return true;
}

// The screen copy alone, without the capturer's comparison and bookkeeping.
void benchBitBlt(int iterations) {
  ScreenDc screen(GetDC(nullptr));
  MemoryDc memory(CreateCompatibleDC(screen.get()));
  void* bits = nullptr;
  ScopedBitmap dib(CreateDIBSection(screen.get(), &gScreen.info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const HGDIOBJ old = SelectObject(memory.get(), dib.get());
  std::vector<double> ms;
  for (int i = 0; i < iterations; ++i) {
    const Clock::time_point start = Clock::now();
    BitBlt(memory.get(), 0, 0, gScreen.width, gScreen.height, screen.get(), 0, 0, SRCCOPY);
    GdiFlush();
    ms.push_back(msSince(start));
  }
  SelectObject(memory.get(), old);
  report("BitBlt alone:", ms, "screen DC into a DIB section");
}

// What every acquire spends first, finding out whether the monitor moved.
void benchEnumerate(ScreenCapturer& capturer, int iterations) {
  std::vector<double> ms;
  for (int i = 0; i < iterations; ++i) {
    const Clock::time_point start = Clock::now();
    capturer.enumerateMonitors();
    ms.push_back(msSince(start));
  }
  report("monitor enumeration:", ms, "EnumDisplayMonitors, once per acquire");
}

int run(int iterations) {
  if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) SetProcessDPIAware();
  gScreen.width = GetSystemMetrics(SM_CXSCREEN);
  gScreen.height = GetSystemMetrics(SM_CYSCREEN);
  BITMAPINFOHEADER& h = gScreen.info.bmiHeader;
  h.biSize = sizeof h;
  h.biWidth = gScreen.width;
  h.biHeight = -gScreen.height;
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = BI_RGB;
  makeImages();
  const HWND window = createWindow();
  if (!window || !showImage(window, 0)) return std::fprintf(stderr, "the window did not show\n"), 1;

  auto capturer = createGdiScreenCapturer();
  const std::vector<MonitorInfo> monitors = capturer->enumerateMonitors();
  if (monitors.empty() || !capturer->create(monitors[0].adapterIndex, monitors[0].outputIndex))
    return std::fprintf(stderr, "capture did not start\n"), 1;
  settle(kSettleMs);
  if (capturer->acquire(1000) != CaptureResult::kNewFrame)
    return std::fprintf(stderr, "no first frame\n"), 1;
  std::printf("GDI capture of a %dx%d screen, %d acquires per case\n", capturer->frame().width,
              capturer->frame().height, iterations);
  benchUnchanged(*capturer, iterations);
  if (!benchWholeScreen(*capturer, window, iterations)) return 1;
  benchBitBlt(iterations);
  benchEnumerate(*capturer, iterations);
  DestroyWindow(window);
  return 0;
}

}  // namespace
}  // namespace px

int main(int argc, char** argv) {
  const int iterations =
      px::iterationsFromArguments(argc, argv, 50, "px-gdi-capture-bench [--iterations N]");
  if (iterations < 1) return 2;
  setvbuf(stdout, nullptr, _IONBF, 0);
  return px::run(iterations);
}
