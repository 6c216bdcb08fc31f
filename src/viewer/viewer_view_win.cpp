// The view inside the viewer window: the renderer presents into it; its mouse input goes to the
// host in remote pixels, and over it the pointer takes the remote pointer's shape.
#include <windowsx.h>

#include "viewer/view_mouse.h"
#include "viewer/viewer_input.h"
#include "viewer/viewer_window_win.h"

namespace px {

LRESULT CALLBACK ViewerWindow::viewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<ViewerWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(self));
  }
  auto* self = reinterpret_cast<ViewerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return self->handleView(msg, wParam, lParam);
}

LRESULT ViewerWindow::handleView(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND view = view_.load();
  LRESULT result = 0;
  if (view && viewMouse(msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && cursor_.valid()) {
        SetCursor(cursor_.get());
        return TRUE;
      }
      break;
    case WM_ERASEBKGND: return TRUE;  // the renderer covers the view
    case WM_PAINT:
      // Validate, and let the session thread draw a frame into the uncovered view.
      ValidateRect(view, nullptr);
      viewDirty_.store(true);
      return 0;
  }
  return DefWindowProcW(view ? view : window_.load(), msg, wParam, lParam);
}

bool ViewerWindow::viewMouse(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const std::optional<ViewMouseInput> input = viewMouseInput(msg, uint64_t(wParam));
  if (!input) return false;
  HWND view = view_.load();
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (input->screenPosition) ScreenToClient(view, &p);
  const SizePx size = viewSize();
  const RemotePoint remote = mapToRemote(session_, size.width, size.height, p.x, p.y);
  if (input->capture == MouseCapture::kTake) SetCapture(view);
  if (input->capture == MouseCapture::kRelease) ReleaseCapture();
  if (input->action == kMouseMove) {
    sendMouseMove(session_, remote);
  } else {
    sendMouse(session_, input->action, remote.x, remote.y, input->button, input->wheelDelta);
  }
  result = input->returnsTrue ? TRUE : 0;
  return true;
}

}  // namespace px
