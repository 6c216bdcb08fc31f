// px-wine-fixture: the Windows side of the end-to-end test under Wine, the counterpart of
// px-x-fixture's "show". A borderless window kept at the bottom covers the primary screen and
// paints a picture 1:1 from (0,0), black beyond it; the picture comes as a 32-bit BMP
// (px-x-fixture crop writes one).
//
//   px-wine-fixture show PICTURE.bmp [--log FILE]
//
// Prints "ready" once the screen shows the picture, then one line per typed character
// ("key TEXT", UTF-8) and per button press ("click X,Y B", B = 1 left, 2 middle, 3 right), as
// px-x-fixture does, so a script reads both the same way. Standard output is binary, so lines end
// in LF even under Wine; --log FILE writes the same lines to FILE too. Runs until the window is
// closed (exit 0) or the process is killed. Exit status 1 on a failure, 2 on bad usage.
#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/gdi_handles_win.h"
#include "support/bmp.h"

namespace {

using px::test::BgraImage;

const wchar_t kClassName[] = L"PxWineFixture";
constexpr DWORD kShowTimeoutMs = 5000;

// Every line goes to standard output and, when given, to the log file, each flushed at once: the
// script reads them while the fixture runs.
class LineLog {
 public:
  ~LineLog() {
    if (file_) std::fclose(file_);
  }
  bool openFile(const std::wstring& path) {
    file_ = _wfopen(path.c_str(), L"wb");
    return file_ != nullptr;
  }
  void write(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    if (!file_) return;
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
  }

 private:
  std::FILE* file_ = nullptr;
};

struct Fixture {
  BgraImage shown;  // the picture cut or padded with black to the screen's size
  BITMAPINFO info{};
  LineLog log;
  wchar_t highSurrogate = 0;  // the first half of a character outside the BMP
};
Fixture gFixture;

BgraImage fitToScreen(const BgraImage& picture, int width, int height) {
  BgraImage out{width, height, px::Bytes(size_t(width) * height * 4, 0)};
  const int columns = std::min(width, picture.width), rows = std::min(height, picture.height);
  for (int y = 0; y < rows; ++y)
    std::memcpy(&out.pixels[size_t(y) * width * 4], &picture.pixels[size_t(y) * picture.width * 4],
                size_t(columns) * 4);
  for (size_t i = 3; i < out.pixels.size(); i += 4) out.pixels[i] = 255;
  return out;
}

void paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  const BgraImage& s = gFixture.shown;
  SetDIBitsToDevice(dc, 0, 0, DWORD(s.width), DWORD(s.height), 0, 0, 0, UINT(s.height),
                    s.pixels.data(), &gFixture.info, DIB_RGB_COLORS);
  EndPaint(window, &ps);
}

void logClick(LPARAM l, int button) {
  const POINTS p = MAKEPOINTS(l);
  gFixture.log.write("click " + std::to_string(p.x) + "," + std::to_string(p.y) + " " +
                     std::to_string(button));
}

// WM_CHAR brings UTF-16 units; a character outside the BMP comes as two messages.
void logChar(wchar_t unit) {
  wchar_t units[2] = {unit, 0};
  int count = 1;
  if (unit >= 0xD800 && unit < 0xDC00) {
    gFixture.highSurrogate = unit;
    return;
  }
  if (unit >= 0xDC00 && unit < 0xE000 && gFixture.highSurrogate) {
    units[0] = gFixture.highSurrogate;
    units[1] = unit;
    count = 2;
  }
  gFixture.highSurrogate = 0;
  char utf8[8];
  const int n = WideCharToMultiByte(CP_UTF8, 0, units, count, utf8, sizeof utf8, nullptr, nullptr);
  gFixture.log.write("key " + std::string(utf8, size_t(std::max(n, 0))));
}

LRESULT CALLBACK fixtureProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT:
      paint(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the picture covers the whole window
    case WM_WINDOWPOSCHANGING:
      // Like a desktop wallpaper it stays below every other window, also when a click or the
      // keyboard focus comes to it; the windows under test stay visible above it.
      reinterpret_cast<WINDOWPOS*>(l)->hwndInsertAfter = HWND_BOTTOM;
      return 0;
    case WM_LBUTTONDOWN:
      logClick(l, 1);
      return 0;
    case WM_MBUTTONDOWN:
      logClick(l, 2);
      return 0;
    case WM_RBUTTONDOWN:
      logClick(l, 3);
      return 0;
    case WM_CHAR:
      logChar(wchar_t(w));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

// Under Wine a window's pixels reach the X screen some time after painting: the screen, read
// back through the screen DC, must hold the picture before the fixture reports "ready".
bool screenShowsPicture() {
  const BgraImage& s = gFixture.shown;
  px::ScreenDc screen(GetDC(nullptr));
  px::MemoryDc memory(screen ? CreateCompatibleDC(screen.get()) : nullptr);
  if (!memory) return false;
  void* bits = nullptr;
  px::ScopedBitmap dib(
      CreateDIBSection(screen.get(), &gFixture.info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return false;
  const HGDIOBJ old = SelectObject(memory.get(), dib.get());
  const bool copied = BitBlt(memory.get(), 0, 0, s.width, s.height, screen.get(), 0, 0, SRCCOPY);
  GdiFlush();
  SelectObject(memory.get(), old);
  if (!copied) return false;
  const auto* pixels = static_cast<const uint8_t*>(bits);
  for (size_t i = 0; i < s.pixels.size(); i += 4) {
    if (std::memcmp(&pixels[i], &s.pixels[i], 3) != 0) return false;
  }
  return true;
}

void pumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool awaitPicture() {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kShowTimeoutMs) {
    pumpMessages();
    if (screenShowsPicture()) return true;
    Sleep(50);
  }
  return false;
}

int show(const std::wstring& picturePath) {
  BgraImage picture;
  if (!px::test::loadBmp(picturePath, picture)) {
    std::fprintf(stderr, "cannot read %ls as a 32-bit BMP\n", picturePath.c_str());
    return 1;
  }
  // The picture is painted in device pixels, whatever the DPI setting. Wine reports
  // per-monitor awareness already and refuses the call; that is fine.
  if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) SetProcessDPIAware();
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  gFixture.shown = fitToScreen(picture, width, height);
  BITMAPINFOHEADER& h = gFixture.info.bmiHeader;
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = -height;  // rows top to bottom
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = BI_RGB;

  WNDCLASSW wc{};
  wc.lpfnWndProc = fixtureProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) return std::fprintf(stderr, "RegisterClass failed\n"), 1;
  HWND window = CreateWindowExW(0, kClassName, L"px-wine-fixture", WS_POPUP | WS_VISIBLE, 0, 0,
                                width, height, nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) return std::fprintf(stderr, "CreateWindow failed: %lu\n", GetLastError()), 1;
  SetForegroundWindow(window);
  SetFocus(window);
  UpdateWindow(window);
  if (!awaitPicture()) {
    std::fprintf(stderr, "the screen does not show the picture after %lu ms\n", kShowTimeoutMs);
    return 1;
  }
  gFixture.log.write("ready");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

// The arguments as UTF-16, so that any path reaches the file functions unchanged.
std::vector<std::wstring> wideArguments() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args(argv, argv + (argv ? argc : 0));
  LocalFree(argv);
  return args;
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  const std::vector<std::wstring> argv = wideArguments();
  const size_t argc = argv.size();
  const bool withLog = argc == 5 && argv[3] == L"--log";
  if (!(argc == 3 || withLog) || argv[1] != L"show") {
    std::fputs("usage: px-wine-fixture show PICTURE.bmp [--log FILE]\n", stderr);
    return 2;
  }
  if (withLog && !gFixture.log.openFile(argv[4])) {
    std::fprintf(stderr, "cannot write %ls\n", argv[4].c_str());
    return 1;
  }
  return show(argv[2]);
}
