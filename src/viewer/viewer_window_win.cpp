#include "viewer/viewer_window_win.h"

#include <dwmapi.h>
#include <windowsx.h>

#include <mutex>

#include "base/log.h"
#include "ui/chat_edit_win.h"
#include "ui/chat_history.h"
#include "ui/chat_send_message.h"
#include "ui/d2d_support_win.h"
#include "ui/dip.h"
#include "ui/edit_style_win.h"
#include "ui/theme.h"
#include "ui/viewer_frame_layout.h"
#include "ui/work_area_win.h"
#include "viewer/key_hook_decision.h"
#include "viewer/viewer_input.h"
#include "viewer/viewer_overlay_paint_win.h"

namespace px {
namespace {

std::atomic<unsigned> viewerWindowsOpened{0};

void registerClasses(HINSTANCE instance, WNDPROC windowProc, WNDPROC viewProc) {
  static std::once_flag once;
  std::call_once(once, [&] {
    static const HBRUSH background = CreateSolidBrush(
        RGB(kBackgroundColour.r, kBackgroundColour.g, kBackgroundColour.b));
    const int dpi = usableDpi(int(GetDpiForSystem()));
    const int big = GetSystemMetricsForDpi(SM_CXICON, UINT(dpi));
    const int small = GetSystemMetricsForDpi(SM_CXSMICON, UINT(dpi));
    static const std::wstring viewerClass = widen(kViewerWindowClass);
    static const std::wstring viewClass = widen(kViewWindowClass);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = HICON(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, big, big, 0));
    wc.hIconSm = HICON(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, small, small, 0));
    wc.lpszClassName = viewerClass.c_str();
    RegisterClassExW(&wc);
    wc.lpfnWndProc = viewProc;
    wc.hIcon = wc.hIconSm = nullptr;
    wc.lpszClassName = viewClass.c_str();
    RegisterClassExW(&wc);
  });
}

int screenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return viewerDpi(dpi);
}

RECT monitorRect(HWND window, bool work) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
    return work ? info.rcWork : info.rcMonitor;
  }
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

template <typename Self>
Self* selfOf(HWND hwnd, UINT msg, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Self*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(self));
  }
  return reinterpret_cast<Self*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace

ViewerWindow::~ViewerWindow() {
  if (HWND hwnd = window_.load()) DestroyWindow(hwnd);
}

bool ViewerWindow::create() {
  registerClasses(instance_, windowProc, viewProc);
  const SizePx image{session_.image.publishedWidth.load(), session_.image.publishedHeight.load()};
  const SizePx screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  dpi_ = screenDpi();
  const SizePx client = viewerClientSize(image, screen);
  const SizePx size = viewerWindowSize(client, dpi_);
  const DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                      WS_MAXIMIZEBOX;
  // Not adjusted for the thick frame: the frame's non-client size makes the whole window the
  // client area, so an adjusted rectangle would leave the view wider and taller than the image
  // and scale a picture that fits by a fraction (blurred) instead of showing it pixel for pixel.
  const RECT rect{0, 0, size.width, size.height};
  const PointPx origin = viewerWindowOrigin(viewerWindowsOpened.fetch_add(1));
  HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, widen(kViewerWindowClass).c_str(),
                              widen(kViewerWindowName).c_str(), style, origin.x, origin.y,
                              rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                              instance_, this);
  if (!hwnd) {
    logPrintf("[VIEWER] Janela do visualizador nao foi criada (erro %lu)\n", GetLastError());
    return false;
  }
  window_.store(hwnd);
  dpi_ = usableDpi(int(GetDpiForWindow(hwnd)));
  applyDarkFrame(hwnd, true);
  SetWindowTextW(hwnd, wide(session_.windowTitle).c_str());
  if (!createDrawing() || !createView()) return false;
  editFont_ = createEditFont(dpi_);
  chatEdit_ = createChatEdit(hwnd, {0, 0, 10, 10}, editFont_.get(), dpi_);
  if (chatEdit_) ShowWindow(chatEdit_, SW_HIDE);
  layout();
  return true;
}

bool ViewerWindow::createDrawing() {
  if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, d2d_.GetAddressOf())) ||
      FAILED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                 reinterpret_cast<IUnknown**>(dwrite_.GetAddressOf())))) {
    logPrintf("[VIEWER] Direct2D ou DirectWrite indisponivel\n");
    return false;
  }
  titleFormat_ = createTextFormat(dwrite_.Get(), kViewerTitleFormat);
  nameFormat_ = createTextFormat(dwrite_.Get(), kViewerNameFormat);
  statusFormat_ = createTextFormat(dwrite_.Get(), kViewerStatusFormat);
  tabFormat_ = createTextFormat(dwrite_.Get(), kViewerTabFormat);
  chatLineFormat_ = createTextFormat(dwrite_.Get(), kViewerChatLineFormat);
  return titleFormat_ && nameFormat_ && statusFormat_ && tabFormat_ && chatLineFormat_;
}

bool ViewerWindow::createView() {
  HWND view = CreateWindowExW(0, widen(kViewWindowClass).c_str(), L"",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 10, 10,
                              window_.load(), nullptr, instance_, this);
  if (!view) {
    logPrintf("[VIEWER] Area de visualizacao nao foi criada (erro %lu)\n", GetLastError());
    return false;
  }
  view_.store(view);
  return true;
}

void ViewerWindow::show() {
  HWND hwnd = window_.load();
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
}

bool ViewerWindow::pumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

SizePx ViewerWindow::viewSize() const {
  RECT r{};
  if (HWND view = view_.load()) GetClientRect(view, &r);
  return {std::max(1, int(r.right - r.left)), std::max(1, int(r.bottom - r.top))};
}

void ViewerWindow::postClose() {
  if (HWND hwnd = window_.load()) PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

void ViewerWindow::invalidateOverlay() {
  if (HWND hwnd = window_.load()) InvalidateRect(hwnd, nullptr, FALSE);
}

void ViewerWindow::postChatArrived() {
  if (HWND hwnd = window_.load()) PostMessageW(hwnd, WM_APP_CHAT, 0, 0);
}

void ViewerWindow::postCursor(ScopedCursor cursor) {
  HWND hwnd = window_.load();
  if (hwnd && PostMessageW(hwnd, kViewerCursorMessage, 0, LPARAM(cursor.get()))) cursor.release();
}

LRESULT CALLBACK ViewerWindow::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = selfOf<ViewerWindow>(hwnd, msg, lParam);
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCCREATE) self->window_.store(hwnd);
  return self->handle(msg, wParam, lParam);
}

LRESULT ViewerWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = window_.load();
  LRESULT result = 0;
  if (frameMessage(msg, wParam, lParam, result)) return result;
  if (mouseMessage(msg, lParam)) return 0;
  switch (msg) {
    case WM_PAINT: paint(); return 0;
    case WM_ERASEBKGND: return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return 0;  // keys never act on this window; the hook sent them to the host
    case WM_KILLFOCUS:
      if (focusLossReleasesKeys(HWND(wParam), hwnd, view_.load())) releaseAllKeys(session_, ui_);
      return 0;
    case WM_CTLCOLOREDIT: return colourEdit(HDC(wParam));
    case WM_APP_CHAT: chatArrived(); return 0;
    case WM_APP_CHAT_SEND: sendChatLine(); return 0;
    case kViewerCursorMessage: replaceCursor(HCURSOR(lParam)); return 0;
    case WM_CLOSE: session_.running.store(false); return 0;
    case WM_DESTROY:
      chatEdit_ = nullptr;
      target_ = nullptr;
      view_.store(nullptr);
      window_.store(nullptr);
      session_.running.store(false);
      return 0;
    case WM_NCDESTROY: SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0); break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool ViewerWindow::frameMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND hwnd = window_.load();
  switch (msg) {
    case WM_NCCALCSIZE: {
      RECT* proposed = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                              : reinterpret_cast<RECT*>(lParam);
      const RectPx client = viewerClientForProposed(
          toRectPx(*proposed), toRectPx(monitorRect(hwnd, false)), toRectPx(monitorRect(hwnd, true)),
          maximised());
      *proposed = RECT{client.left, client.top, client.right, client.bottom};
      result = 0;
      return true;
    }
    case WM_NCPAINT: result = 0; return true;
    case WM_NCACTIVATE: result = DefWindowProcW(hwnd, msg, wParam, -1); return true;
    case WM_NCHITTEST: {
      RECT window, client;
      GetWindowRect(hwnd, &window);
      GetClientRect(hwnd, &client);
      MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
      result = toHitTestCode(viewerFrameHit(toRectPx(window), toRectPx(client),
                                            {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, dpi_,
                                            maximised()));
      return true;
    }
    case WM_GETMINMAXINFO: {
      auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
      const SizePx minimum = viewerMinimumTrackSize(dpi_);
      info.ptMinTrackSize = POINT{minimum.width, minimum.height};
      const RECT monitor = monitorRect(hwnd, false), work = monitorRect(hwnd, true);
      info.ptMaxPosition = POINT{work.left - monitor.left, work.top - monitor.top};
      info.ptMaxSize = info.ptMaxTrackSize = POINT{work.right - work.left, work.bottom - work.top};
      return true;
    }
    case WM_SIZE: {
      const MARGINS margins{0, 0, 0, viewerDwmBottomMargin(maximised())};
      DwmExtendFrameIntoClientArea(hwnd, &margins);
      if (wParam != SIZE_MINIMIZED) layout();
      repaint();
      return true;
    }
    case WM_DPICHANGED:
      dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return true;
  }
  return false;
}

bool ViewerWindow::maximised() const { return IsZoomed(window_.load()) != FALSE; }

SizeF ViewerWindow::clientDips() const {
  RECT r{};
  GetClientRect(window_.load(), &r);
  return pixelsToDips(SizePx{r.right - r.left, r.bottom - r.top}, dpi_);
}

PointF ViewerWindow::pointDips(LPARAM lParam) const {
  return pixelsToDips(PointPx{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, dpi_);
}

void ViewerWindow::layout() {
  HWND hwnd = window_.load();
  RECT r{};
  GetClientRect(hwnd, &r);
  const ViewerAreas areas =
      layoutViewerAreas({r.right - r.left, r.bottom - r.top}, dpi_, maximised(), chatVisible_);
  if (HWND view = view_.load()) {
    SetWindowPos(view, nullptr, areas.view.left, areas.view.top, areas.view.width(),
                 areas.view.height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  session_.resizePending.store(true);
  viewDirty_.store(true);
  if (!chatEdit_) return;
  if (!chatVisible_) {
    ShowWindow(chatEdit_, SW_HIDE);
    return;
  }
  const RectPx edit = dipsToPixels(overlayLayout().chat.edit, dpi_);
  SetWindowPos(chatEdit_, nullptr, edit.left, edit.top, edit.width(), edit.height(),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

ViewerOverlayLayout ViewerWindow::overlayLayout() {
  ViewerOverlayInput in;
  in.client = clientDips();
  in.maximised = maximised();
  in.chatVisible = chatVisible_;
  std::u16string status;
  {
    std::lock_guard lock(session_.overlay.lock);
    in.monitorCount = session_.overlay.monitorCount;
    status = session_.overlay.statusText;
  }
  in.statusWidth =
      statusTextWidth(measureText(dwrite_.Get(), statusFormat_.Get(), wide(status),
                                  kStatusMeasureBox.width, kStatusMeasureBox.height).width);
  return layoutViewerOverlay(in);
}

void ViewerWindow::repaint() { InvalidateRect(window_.load(), nullptr, FALSE); }

// Bound to the paint DC, not the window: the window's children (view, chat edit) then keep
// their own surfaces instead of being covered by the overlay's.
void ViewerWindow::paint() {
  HWND hwnd = window_.load();
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  if (!target_ && d2d_) {
    const auto props = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT,
        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE), float(dpi_),
        float(dpi_));
    d2d_->CreateDCRenderTarget(&props, &target_);
  }
  RECT client{};
  GetClientRect(hwnd, &client);
  bool lost = false;
  if (target_ && SUCCEEDED(target_->BindDC(ps.hdc, &client))) {
    const ViewerOverlayLayout l = overlayLayout();
    ViewerOverlayPaint in;
    in.client = clientDips();
    in.maximised = maximised();
    in.hover = hover_;
    in.remoteName = session_.windowTitle;
    {
      std::lock_guard lock(session_.overlay.lock);
      in.status = session_.overlay.statusText;
      in.currentMonitor = session_.overlay.currentMonitor;
    }
    std::lock_guard chatLock(session_.chat.lock);
    in.chat = &session_.chat.entries;
    target_->BeginDraw();
    target_->SetTransform(D2D1::Matrix3x2F::Identity());
    const ViewerOverlayFormats f{titleFormat_.Get(), nameFormat_.Get(), statusFormat_.Get(),
                                 tabFormat_.Get(), chatLineFormat_.Get()};
    paintViewerOverlay(target_.Get(), dwrite_.Get(), f, l, in);
    lost = target_->EndDraw() == HRESULT(D2DERR_RECREATE_TARGET);
  }
  EndPaint(hwnd, &ps);
  if (lost) {
    target_ = nullptr;
    repaint();
  }
}

bool ViewerWindow::mouseMessage(UINT msg, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE: {
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_.load(), 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
      }
      const PointF p = pointDips(lParam);
      if (updateViewerHover(hover_, viewerHoverAt(overlayLayout(), p, clientDips().width))) {
        repaint();
      }
      return true;
    }
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      if (hover_.any()) {
        hover_ = {};
        repaint();
      }
      return true;
    case WM_LBUTTONDOWN: click(pointDips(lParam)); return true;
    case WM_LBUTTONUP: captionUp(pointDips(lParam)); return true;
  }
  return false;
}

void ViewerWindow::click(PointF point) {
  int current = 0, count = 0;
  {
    std::lock_guard lock(session_.overlay.lock);
    current = session_.overlay.currentMonitor;
    count = session_.overlay.monitorCount;
  }
  const ViewerClick c = viewerClickAt(overlayLayout(), point, clientDips().width, current, count);
  switch (c.action) {
    case ViewerClickAction::kNone: break;
    case ViewerClickAction::kToggleChat: toggleChat(); break;
    case ViewerClickAction::kSelectMonitor:
      if (session_.running.load()) sendSelectMonitor(session_, c.monitor);
      break;
    case ViewerClickAction::kPressCaptionButton:
      pressed_ = c.caption;
      SetCapture(window_.load());
      break;
  }
}

void ViewerWindow::captionUp(PointF point) {
  if (pressed_ == CaptionButton::kNone) return;
  const CaptionButton pressed = std::exchange(pressed_, CaptionButton::kNone);
  ReleaseCapture();
  HWND hwnd = window_.load();
  switch (viewerCaptionButtonUp(pressed, captionButtonAt(point, clientDips().width, true),
                                maximised())) {
    case CaptionAction::kNone: break;
    case CaptionAction::kClose: PostMessageW(hwnd, WM_CLOSE, 0, 0); break;
    case CaptionAction::kMaximise: ShowWindow(hwnd, SW_MAXIMIZE); break;
    case CaptionAction::kRestore: ShowWindow(hwnd, SW_RESTORE); break;
    case CaptionAction::kMinimise: ShowWindow(hwnd, SW_MINIMIZE); break;
  }
}

void ViewerWindow::toggleChat() {
  chatVisible_ = !chatVisible_;
  layout();
  repaint();
  if (chatVisible_ && chatEdit_) SetFocus(chatEdit_);
}

void ViewerWindow::chatArrived() {
  if (!chatVisible_) {
    chatVisible_ = true;
    layout();
  }
  repaint();
  FLASHWINFO flash{sizeof flash, window_.load(), FLASHW_ALL, 1, 0};
  FlashWindowEx(&flash);
}

void ViewerWindow::sendChatLine() {
  if (!chatEdit_) return;
  const std::u16string text = normalizeChatText(chatEditText(chatEdit_));
  if (text.empty()) return;
  // Only a line that left this computer joins the log and leaves the edit box.
  if (!sendChat(session_, narrow(wide(text)))) return;
  SetWindowTextW(chatEdit_, L"");
  repaint();
}

void ViewerWindow::replaceCursor(HCURSOR cursor) {
  ScopedCursor previous = std::move(cursor_);
  cursor_ = ScopedCursor(cursor);
  HWND hwnd = window_.load();
  HWND target = view_.load() ? view_.load() : hwnd;
  POINT p{};
  RECT r{};
  if (GetForegroundWindow() == hwnd && GetCursorPos(&p) && ScreenToClient(target, &p) &&
      GetClientRect(target, &r) &&
      pointerInsideClient({p.x, p.y}, {r.right - r.left, r.bottom - r.top})) {
    SetCursor(cursor_.get());
  }
}

void ViewerWindow::dpiChanged(int dpi, const RECT& suggested) {
  dpi_ = usableDpi(dpi);
  target_ = nullptr;
  editFont_ = createEditFont(dpi_);
  if (chatEdit_) styleChatEdit(chatEdit_, editFont_.get(), dpi_);
  SetWindowPos(window_.load(), nullptr, suggested.left, suggested.top,
               suggested.right - suggested.left, suggested.bottom - suggested.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  layout();
  repaint();
}

}  // namespace px
