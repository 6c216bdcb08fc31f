// The Windows side of one viewer session: its window and view, the renderer presenting into the
// view, the keyboard hook of a session with control, the remote pointer, and the security alert
// as a message box owned by the main window.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "app/shell_viewer_ui.h"
#include "viewer/keyboard_hook_win.h"
#include "viewer/renderer_win.h"
#include "viewer/viewer_window_win.h"

namespace px {

class WinViewerUi final : public ShellViewerUi {
 public:
  // `owner` holds the main window while it exists (null before and after).
  WinViewerUi(ShellViewerLinks links, const std::atomic<HWND>& owner)
      : ShellViewerUi(std::move(links)), owner_(owner) {}

  // Modal to the session thread only; the session ends once it is dismissed.
  void showSecurityAlert() override;

  bool createWindow(ViewerSession& session) override;
  bool initRenderer(ViewerSession& session) override;
  void showWindow(ViewerSession& session) override;
  bool runOnce(ViewerSession& session) override;
  void installKeyboardHook(ViewerSession& session) override;
  void removeKeyboardHook(ViewerSession& session) override;
  void releaseRenderer(ViewerSession& session) override;
  void destroyWindow(ViewerSession& session) override;

  // Receive thread; the window exists until that thread has been joined.
  void postClose(ViewerSession& session) override;
  void invalidate(ViewerSession& session) override;
  void chatReceived(ViewerSession& session) override;
  void cursorShape(ViewerSession& session, ByteView payload) override;

  uint16_t scanCodeForKey(uint16_t virtualKey) override;

 private:
  const std::atomic<HWND>& owner_;
  std::unique_ptr<ViewerWindow> window_;
  Renderer renderer_;
  KeyboardHook hook_;
};

}  // namespace px
