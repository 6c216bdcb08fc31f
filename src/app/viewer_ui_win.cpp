#include "app/viewer_ui_win.h"

#include "ui/d2d_support_win.h"
#include "viewer/remote_cursor_shape.h"
#include "viewer/security_alert.h"

namespace px {

void WinViewerUi::showSecurityAlert() {
  ShellViewerUi::showSecurityAlert();
  MessageBoxW(owner_.load(), widen(kSecurityAlertText).c_str(),
              widen(kSecurityAlertCaption).c_str(), MB_ICONERROR | MB_OK);
}

bool WinViewerUi::createWindow(ViewerSession& session) {
  window_ = std::make_unique<ViewerWindow>(session, *this, GetModuleHandleW(nullptr));
  return window_->create();
}

bool WinViewerUi::initRenderer(ViewerSession& session) {
  return window_ && renderer_.init(window_->view(), session.image.publishedWidth.load(),
                                   session.image.publishedHeight.load());
}

void WinViewerUi::showWindow(ViewerSession&) {
  if (window_) window_->show();
}

bool WinViewerUi::runOnce(ViewerSession& session) {
  if (!window_ || !window_->pumpMessages()) return false;
  if (!session.running.load()) return true;
  if (session.resizePending.exchange(false) && window_->view()) {
    const SizePx size = window_->viewSize();
    renderer_.resize(size.width, size.height);
  }
  const bool changed = session.image.frameReady.exchange(false);
  if (changed || window_->takeViewDirty()) {
    renderer_.drawFrame(session.image, changed);
  } else {
    // Nothing to draw: wait for input or the next frame's mark instead of spinning. Presenting
    // does not wait for the display everywhere (not under Wine), so this paces the loop.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 8, QS_ALLINPUT);
  }
  return true;
}

void WinViewerUi::installKeyboardHook(ViewerSession& session) {
  if (window_) hook_.install(session, window_->window(), window_->chatEdit());
}

void WinViewerUi::removeKeyboardHook(ViewerSession&) { hook_.remove(); }

void WinViewerUi::releaseRenderer(ViewerSession&) { renderer_.release(); }

void WinViewerUi::destroyWindow(ViewerSession&) { window_.reset(); }

void WinViewerUi::postClose(ViewerSession&) {
  if (window_) window_->postClose();
}

void WinViewerUi::invalidate(ViewerSession&) {
  if (window_) window_->invalidateOverlay();
}

void WinViewerUi::chatReceived(ViewerSession&) {
  if (window_) window_->postChatArrived();
}

void WinViewerUi::cursorShape(ViewerSession&, ByteView payload) {
  CursorBitmap shape;
  if (!window_ || decodeCursorShape(payload, shape) != CursorShapeStatus::kOk) return;
  ScopedCursor cursor = makeRemoteCursor(shape);
  if (cursor.valid()) window_->postCursor(std::move(cursor));
}

uint16_t WinViewerUi::scanCodeForKey(uint16_t virtualKey) {
  return uint16_t(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
}

}  // namespace px
