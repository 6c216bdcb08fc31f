// The viewer window of one session and the view inside it: made, driven and destroyed on the
// session thread. The frame behaves as the main window's (drag, resize band, caption buttons,
// DPI); around the view it paints the overlay (caption, status, monitor tabs, chat toggle and
// panel). The view turns mouse input into MouseInput messages and shows the remote pointer.
#pragma once

#include <d2d1.h>
#include <dwrite.h>
#include <windows.h>
#include <wrl/client.h>

#include <atomic>

#include "ui/geometry.h"
#include "ui/ui_handles_win.h"
#include "ui/viewer_overlay_layout.h"
#include "ui/viewer_overlay_mouse.h"
#include "viewer/remote_cursor_win.h"
#include "viewer/viewer_session.h"

namespace px {

// Private to the viewer window: a new remote cursor (lParam: HCURSOR whose ownership passes).
inline constexpr UINT kViewerCursorMessage = WM_APP + 0x40;

class ViewerWindow {
 public:
  ViewerWindow(ViewerSession& session, ViewerUi& ui, HINSTANCE instance)
      : session_(session), ui_(ui), instance_(instance) {}
  ~ViewerWindow();
  ViewerWindow(const ViewerWindow&) = delete;
  ViewerWindow& operator=(const ViewerWindow&) = delete;

  // Both windows, the drawing factories and the overlay's formats; false when any is missing.
  bool create();
  void show();

  // Session thread: dispatches every waiting message; false once WM_QUIT was seen.
  bool pumpMessages();
  // Session thread: the view's client size in pixels (at least 1 × 1).
  SizePx viewSize() const;
  // Session thread: the view was uncovered or resized and needs a frame drawn. Clears the mark.
  bool takeViewDirty() { return viewDirty_.exchange(false); }
  HWND view() const { return view_.load(); }
  HWND window() const { return window_.load(); }
  HWND chatEdit() const { return chatEdit_; }

  // Any thread: post, never act directly.
  void postClose();
  void invalidateOverlay();
  void postChatArrived();
  // Receive thread: hands a new remote cursor to the session thread (destroyed if it cannot).
  void postCursor(ScopedCursor cursor);

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK viewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handleView(UINT msg, WPARAM wParam, LPARAM lParam);
  bool frameMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool mouseMessage(UINT msg, LPARAM lParam);
  bool viewMouse(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

  bool createDrawing();
  bool createView();
  void layout();
  ViewerOverlayLayout overlayLayout();
  void paint();
  void repaint();
  bool maximised() const;
  SizeF clientDips() const;
  PointF pointDips(LPARAM lParam) const;
  void click(PointF point);
  void captionUp(PointF point);
  void toggleChat();
  void chatArrived();
  void sendChatLine();
  void replaceCursor(HCURSOR cursor);
  void dpiChanged(int dpi, const RECT& suggested);

  ViewerSession& session_;
  ViewerUi& ui_;
  HINSTANCE instance_;
  std::atomic<HWND> window_{nullptr};
  std::atomic<HWND> view_{nullptr};
  HWND chatEdit_ = nullptr;
  int dpi_ = 96;
  bool chatVisible_ = false;
  bool trackingLeave_ = false;
  ViewerHover hover_;
  CaptionButton pressed_ = CaptionButton::kNone;
  std::atomic<bool> viewDirty_{true};
  ScopedCursor cursor_;  // the remote pointer; session thread only
  ScopedFont editFont_;

  Microsoft::WRL::ComPtr<ID2D1Factory> d2d_;
  Microsoft::WRL::ComPtr<IDWriteFactory> dwrite_;
  Microsoft::WRL::ComPtr<ID2D1DCRenderTarget> target_;
  Microsoft::WRL::ComPtr<IDWriteTextFormat> titleFormat_, nameFormat_, statusFormat_, tabFormat_,
      chatLineFormat_;
};

}  // namespace px
