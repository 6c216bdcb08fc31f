// The main window as Windows sees it: its class, style and size, its own frame's hit tests and
// size limits, the DPI change Wine never sends, and worker reports that arrive after it is gone.
#include "app/main_window_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/posted_messages.h"
#include "app/worker_reports.h"

namespace px {
namespace {

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<HostService>(HostDependencies{});
    window_ = std::make_unique<MainWindow>(
        MainWindowSetup{GetModuleHandleW(nullptr), host_.get(), &poster_, &reports_, nullptr, &appRunning_,
                        true, {}, {}});
    ASSERT_TRUE(window_->create());
    hwnd_ = window_->hwnd();
  }

  void TearDown() override {
    window_.reset();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

  RECT windowRect() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r;
  }

  LRESULT hitTestAt(int dx, int dy) const {
    const RECT r = windowRect();
    return SendMessageW(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(r.left + dx, r.top + dy));
  }

  std::atomic<bool> appRunning_{true};
  WindowPoster poster_;
  WorkerReports reports_{poster_};
  std::unique_ptr<HostService> host_;
  std::unique_ptr<MainWindow> window_;
  HWND hwnd_ = nullptr;
};

int pixels(int dips, int dpi) { return MulDiv(dips, dpi, 96); }

TEST_F(MainWindowTest, IsACompactBorderlessWindowCentredInTheWorkArea) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd_, name, 64);
  EXPECT_STREQ(name, L"ParvolexMain");
  GetWindowTextW(hwnd_, name, 64);
  EXPECT_STREQ(name, L"Parvolex");
  const DWORD style = DWORD(GetWindowLongW(hwnd_, GWL_STYLE));
  const DWORD bits[] = {WS_POPUP, WS_CLIPCHILDREN, WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX,
                        WS_MAXIMIZEBOX};
  for (DWORD bit : bits) {
    EXPECT_TRUE(style & bit) << std::hex << bit;
  }
  EXPECT_TRUE(GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_APPWINDOW);

  const int dpi = int(GetDpiForSystem());
  const RECT r = windowRect();
  EXPECT_EQ(r.right - r.left, pixels(560, dpi));
  EXPECT_EQ(r.bottom - r.top, pixels(300, dpi));
  RECT client{};
  GetClientRect(hwnd_, &client);
  EXPECT_EQ(client.right, r.right - r.left) << "no border is taken off the client";
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(r.left, work.left + (work.right - work.left - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2);
}

TEST_F(MainWindowTest, OwnFrameAnswersHitTests) {
  const int dpi = int(GetDpiForSystem());
  const int w = pixels(560, dpi);
  struct Case {
    const char* where;
    int dx, dy;
    LRESULT expected;
  } cases[] = {
      {"top-left corner", 1, 1, HTTOPLEFT},
      {"left edge", 2, pixels(150, dpi), HTLEFT},
      {"bottom edge", w / 2, pixels(300, dpi) - 2, HTBOTTOM},
      {"caption strip", pixels(200, dpi), pixels(24, dpi), HTCAPTION},
      {"close button", w - pixels(23, dpi), pixels(24, dpi), HTCLIENT},
      {"minimise button", w - pixels(69, dpi), pixels(24, dpi), HTCLIENT},
      {"below the strip", pixels(200, dpi), pixels(120, dpi), HTCLIENT},
  };
  for (const Case& c : cases) EXPECT_EQ(hitTestAt(c.dx, c.dy), c.expected) << c.where;
}

TEST_F(MainWindowTest, CompactLayoutCannotBeResizedOrMaximised) {
  const int dpi = int(GetDpiForSystem());
  MINMAXINFO info{};
  SendMessageW(hwnd_, WM_GETMINMAXINFO, 0, LPARAM(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, pixels(560, dpi));
  EXPECT_EQ(info.ptMaxTrackSize.y, pixels(300, dpi));
  SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_FALSE(IsZoomed(hwnd_));
}

// Wine never sends WM_DPICHANGED, so the handler is called as Windows would call it.
TEST_F(MainWindowTest, DpiChangeTakesTheSuggestedRectangleAndScalesTheLimits) {
  const RECT suggested{100, 80, 100 + 840, 80 + 450};
  window_->dpiChanged(144, suggested);
  const RECT r = windowRect();
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.right - r.left, 840);
  EXPECT_EQ(r.bottom - r.top, 450);
  MINMAXINFO info{};
  SendMessageW(hwnd_, WM_GETMINMAXINFO, 0, LPARAM(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 840);
  EXPECT_EQ(info.ptMaxTrackSize.y, 450);
  // Hit tests follow the new DPI: 48 DIPs of caption are 72 pixels now.
  EXPECT_EQ(hitTestAt(300, 60), HTCAPTION);
  EXPECT_EQ(hitTestAt(300, 80), HTCLIENT);
}

TEST_F(MainWindowTest, ReportsAfterTheWindowIsGoneAreRefusedAndFreed) {
  WorkerReports reports(poster_);
  reports.relayStatusChanged();  // delivered while the window lives
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, hwnd_, WM_APP_RELAY_CHANGED, WM_APP_RELAY_CHANGED, PM_REMOVE));
  DestroyWindow(hwnd_);
  EXPECT_FALSE(poster_.post(WM_APP_RELAY_CHANGED, 0, 0));
  // A record that cannot be posted is freed by the reports (the leak checker would see it).
  reports.chatText("tarde demais");
  reports.sessionStarted(HostSessionStart{});
}

TEST_F(MainWindowTest, ClosingEndsTheAppAndQuitsTheLoop) {
  SendMessageW(hwnd_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(appRunning_.load());
  EXPECT_FALSE(IsWindow(hwnd_));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0u);
}

}  // namespace
}  // namespace px
