// The main window ("ParvolexMain"): its own dark frame, its screens (decided by MainScreens,
// carried out here), the native controls, the posted-message table handed to MainWindowMessages,
// the host chat window it owns, and the shutdown on close.
// Main thread only, except where a comment says otherwise.
#pragma once

#include <d2d1.h>
#include <dwrite.h>
#include <windows.h>
#include <wrl/client.h>

#include <atomic>
#include <memory>
#include <string>

#include "app/card_thumbnails.h"
#include "app/host_service_control.h"
#include "app/main_screens.h"
#include "app/main_window_messages.h"
#include "app/screens_services.h"
#include "app/viewer_sessions.h"
#include "app/window_poster_win.h"
#include "app/worker_reports.h"
#include "ui/chat_history.h"
#include "ui/hit_regions.h"
#include "ui/main_controls_win.h"
#include "ui/main_mouse.h"
#include "ui/main_window_paint_win.h"

namespace px {

class HostChatWindow;

inline constexpr const wchar_t* kMainWindowClass = L"ParvolexMain";

struct MainWindowSetup {
  HINSTANCE instance = nullptr;
  HostService* host = nullptr;
  WindowPoster* poster = nullptr;
  WorkerReports* reports = nullptr;  // the login and logout threads report through it
  ViewerSessions* viewers = nullptr;  // "Conectar" starts a session here
  std::atomic<bool>* appRunning = nullptr;
  bool hostMode = true;
  Microsoft::WRL::ComPtr<ID2D1Factory> d2d;        // may be null: nothing is drawn
  Microsoft::WRL::ComPtr<IDWriteFactory> dwrite;   // may be null: no text is drawn
};

class MainWindow final : public MainWindowView, public MainScreensView {
 public:
  explicit MainWindow(MainWindowSetup setup);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the class and creates the window (560 × 300 DIPs at the system DPI, centred in
  // the primary monitor's work area) with its dark frame; the poster then delivers to it.
  bool create();
  void show();
  // After show: with a command-line target, the home screen (or the login screen first).
  void start(const std::string& autoConnectTarget);
  HWND hwnd() const { return hwnd_; }

  // What WM_DPICHANGED does; public because Wine never sends that message.
  void dpiChanged(int dpi, const RECT& suggested);

  // MainWindowView
  void refreshSessionControls() override;
  void repaint() override;
  void setStatus(const std::string& text) override;
  void hostSessionStarting(const std::string& peerName) override;
  void hostSessionGone() override;
  void hostChatReceived(const std::u16string& text) override;
  void loginFinished(std::unique_ptr<LoginResult> result) override;
  void clearLogin() override;
  void showLoginScreen(const std::string& message) override;

  // MainScreensView (repaint and setStatus are shared with MainWindowView)
  WindowFrame windowFrame() const override;
  void restoreWindow() override;
  void moveWindow(const RectPx& rect) override;
  SizeF clientSize() const override { return clientDips(); }
  bool hostChatWindowOpen() const override;
  void applyControls(const MainControlsPlacement& placement) override;
  void focusControl(MainControl control) override { controls_.focus(control); }
  std::u16string editText(MainControl edit) const override { return controls_.text(edit); }
  void setEditText(MainControl edit, const std::u16string& text) override {
    controls_.setText(edit, text);
  }
  void clearHover() override { hover_.hoverKind = HitKind::kNone; }
  void postCommand(int command) override;

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
  bool frameMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool mouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  bool childMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void command(int id);
  void savePassword();
  void toggleFavourite(const std::string& id);
  void close();
  void paint();
  void trackSize(MINMAXINFO& info) const;
  void mouseMove(PointF point);
  void buttonDown(PointF point);
  void buttonUp(PointF point);
  void act(const ClickDecision& decision);
  void showChatWindow();
  bool sendChat(const std::string& utf8);
  SizeF clientDips() const;
  PointF pointDips(LPARAM lParam) const;
  bool maximised() const { return IsZoomed(hwnd_) != FALSE; }
  bool home() const { return screens_.homeShown(); }
  MainPaintInput paintInput() const;

  MainWindowSetup setup_;
  HostServiceControl hostControl_;
  MainWindowMessages messages_;
  ProcessScreensServices services_;
  MainScreens screens_;
  MainControls controls_;
  CardThumbnails thumbnails_;
  CardBitmaps cardBitmaps_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  // Bound to the paint DC: under Wine a window-bound target draws through OpenGL over the child
  // edits.
  Microsoft::WRL::ComPtr<ID2D1DCRenderTarget> target_;
  MainTextFormats formats_;
  bool formatsReady_ = false;
  HitRegionList regions_;
  HoverState hover_;
  CaptionButton pressedCaption_ = CaptionButton::kNone;
  bool trackingLeave_ = false;
  // The running host session's chat: the transcript, the peer's name and its window.
  ChatHistory chatTranscript_;
  std::u16string hostPeerName_;
  std::unique_ptr<HostChatWindow> hostChatWindow_;
};

}  // namespace px
