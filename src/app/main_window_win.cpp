#include "app/main_window_win.h"

#include <windowsx.h>

#include "app/status_indicator.h"
#include "base/log.h"
#include "relay/login_state.h"
#include "relay/registration_loop.h"
#include "store/password_store.h"
#include "store/saved_login.h"
#include "ui/clipboard_win.h"
#include "ui/d2d_support_win.h"
#include "ui/dip.h"
#include "ui/frame_layout.h"
#include "ui/host_chat_window_win.h"
#include "ui/status_line.h"
#include "ui/window_placement.h"
#include "viewer/utf16_text.h"

namespace px {
namespace {

constexpr Rgb kWindowBrushColour = kBackgroundColour;

// The status line may be set from any thread; its repaint request goes to whichever main
// window exists.
std::atomic<HWND> statusWindow{nullptr};

void repaintStatusWindow() {
  if (HWND w = statusWindow.load()) InvalidateRect(w, nullptr, FALSE);
}

RECT workAreaOf(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

RectPx toRectPx(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

bool registerWindowClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, kMainWindowClass, &existing)) return true;
  const int dpi = usableDpi(int(GetDpiForSystem()));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = CreateSolidBrush(RGB(kWindowBrushColour.r, kWindowBrushColour.g,
                                          kWindowBrushColour.b));
  const int big = GetSystemMetricsForDpi(SM_CXICON, UINT(dpi));
  const int small = GetSystemMetricsForDpi(SM_CXSMICON, UINT(dpi));
  wc.hIcon = HICON(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, big, big, 0));
  wc.hIconSm = HICON(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, small, small, 0));
  wc.lpszClassName = kMainWindowClass;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

MainWindow::MainWindow(MainWindowSetup setup)
    : setup_(std::move(setup)), hostControl_(*setup_.host), messages_(hostControl_, *this) {}

MainWindow::~MainWindow() {
  statusWindow.store(nullptr);
  setStatusRepaintHook(nullptr);
  hostChatWindow_.reset();
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::create() {
  if (!registerWindowClass(setup_.instance, windowProc)) return false;
  const int systemDpi = usableDpi(int(GetDpiForSystem()));
  const SizePx size = dipsToPixels(kCompactSize, systemDpi);
  const RectPx work = toRectPx(workAreaOf(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)));
  const RectPx r = centredIn(size, work);
  hwnd_ = CreateWindowExW(WS_EX_APPWINDOW, kMainWindowClass, widen(kWindowTitle).c_str(),
                          WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_THICKFRAME |
                              WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                          r.left, r.top, r.width(), r.height(), nullptr, nullptr,
                          setup_.instance, this);
  if (!hwnd_) return false;
  dpi_ = usableDpi(int(GetDpiForWindow(hwnd_)));
  applyDarkFrame(hwnd_, true);
  if (setup_.dwrite) formatsReady_ = formats_.create(setup_.dwrite.Get());
  statusWindow.store(hwnd_);
  setStatusRepaintHook(repaintStatusWindow);
  setup_.poster->setWindow(hwnd_);
  return true;
}

void MainWindow::show() {
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
}

LRESULT CALLBACK MainWindow::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return self->handle(msg, wParam, lParam);
}

LRESULT MainWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (messages_.handle(msg, wParam, lParam)) return 0;
  LRESULT result = 0;
  if (frameMessage(msg, wParam, lParam, result)) return result;
  if (mouseMessage(msg, wParam, lParam)) return 0;
  switch (msg) {
    case WM_PAINT: paint(); return 0;
    case WM_ERASEBKGND: return 1;  // painting covers everything
    case WM_COMMAND: command(LOWORD(wParam)); return 0;
    case WM_CLOSE: close(); return 0;
    case WM_DESTROY:
      setup_.poster->setWindow(nullptr);
      statusWindow.store(nullptr);
      hostChatWindow_.reset();
      target_ = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      break;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

bool MainWindow::frameMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_NCCALCSIZE: {
      // Maximised, the client is the work area; otherwise the whole window, with no visible
      // border. Both forms of the message are answered, or the default one would take a thick
      // frame's border off the client.
      RECT* proposed = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                              : reinterpret_cast<RECT*>(lParam);
      if (maximised()) *proposed = workAreaOf(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST));
      result = 0;
      return true;
    }
    case WM_NCPAINT: result = 0; return true;
    case WM_NCACTIVATE: result = DefWindowProcW(hwnd_, msg, wParam, -1); return true;
    case WM_NCHITTEST: {
      RECT window, client;
      GetWindowRect(hwnd_, &window);
      GetClientRect(hwnd_, &client);
      MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&client), 2);
      FrameHitInput in{toRectPx(window), toRectPx(client),
                       PointPx{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, dpi_, maximised(),
                       false, &regions_};
      result = toHitTestCode(frameHitTest(in));
      return true;
    }
    case WM_GETMINMAXINFO: trackSize(*reinterpret_cast<MINMAXINFO*>(lParam)); return true;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MAXIMIZE && !systemMaximiseAllowed(false)) return true;
      return false;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED && target_ && LOWORD(lParam) > 0 && HIWORD(lParam) > 0) {
        target_->Resize(D2D1::SizeU(LOWORD(lParam), HIWORD(lParam)));
      }
      return false;
    case WM_DPICHANGED:
      dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return true;
  }
  return false;
}

void MainWindow::trackSize(MINMAXINFO& info) const {
  const TrackLimits limits = trackLimits(false);
  const SizePx minimum = dipsToPixels(limits.minimum, dpi_);
  info.ptMinTrackSize = POINT{minimum.width, minimum.height};
  if (limits.maximum) {
    const SizePx maximum = dipsToPixels(*limits.maximum, dpi_);
    info.ptMaxTrackSize = POINT{maximum.width, maximum.height};
  }
}

void MainWindow::dpiChanged(int dpi, const RECT& suggested) {
  dpi_ = usableDpi(dpi);
  target_ = nullptr;  // made again at the new DPI on the next paint
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  repaint();
}

bool MainWindow::mouseMessage(UINT msg, WPARAM, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE: mouseMove(pointDips(lParam)); return true;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      hover_ = {};
      repaint();
      return true;
    case WM_LBUTTONDOWN: buttonDown(pointDips(lParam)); return true;
    case WM_LBUTTONUP: buttonUp(pointDips(lParam)); return true;
    case WM_SETCURSOR: {
      if (LOWORD(lParam) != HTCLIENT) return false;
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(hwnd_, &p);
      const bool hand = handCursorAt(pixelsToDips(PointPx{p.x, p.y}, dpi_), regions_);
      SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
      return true;
    }
  }
  return false;
}

void MainWindow::mouseMove(PointF point) {
  if (!trackingLeave_) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
    trackingLeave_ = TrackMouseEvent(&track) != FALSE;
  }
  switch (updateHover(hover_, hoverAt(point, clientDips().width, false, regions_))) {
    case Repaint::kNone: break;
    case Repaint::kCaptionStrip: {
      RECT strip{0, 0, dipsToPixels(clientDips().width, dpi_), dipsToPixels(kCaptionHeight, dpi_)};
      InvalidateRect(hwnd_, &strip, FALSE);
      break;
    }
    case Repaint::kWholeWindow: repaint(); break;
  }
}

void MainWindow::buttonDown(PointF point) {
  act(clickAt(point, clientDips().width, false, regions_));
}

void MainWindow::buttonUp(PointF point) {
  if (pressedCaption_ == CaptionButton::kNone) return;
  const CaptionButton pressed = pressedCaption_;
  pressedCaption_ = CaptionButton::kNone;
  ReleaseCapture();
  const CaptionButton under = captionButtonAt(point, clientDips().width, false);
  switch (captionButtonUp(pressed, under, false, maximised())) {
    case CaptionAction::kClose: PostMessageW(hwnd_, WM_CLOSE, 0, 0); break;
    case CaptionAction::kMinimise: ShowWindow(hwnd_, SW_MINIMIZE); break;
    case CaptionAction::kMaximise: ShowWindow(hwnd_, SW_MAXIMIZE); break;
    case CaptionAction::kRestore: ShowWindow(hwnd_, SW_RESTORE); break;
    case CaptionAction::kNone: break;
  }
}

void MainWindow::act(const ClickDecision& decision) {
  switch (decision.action) {
    case ClickAction::kPressCaptionButton:
      pressedCaption_ = decision.captionButton;
      SetCapture(hwnd_);
      return;
    case ClickAction::kCopyId:
      copyTextToClipboard(hwnd_, decision.key);  // the status says so even when it failed
      break;
    case ClickAction::kCommand: PostMessageW(hwnd_, WM_COMMAND, WPARAM(decision.command), 0); break;
    default:
      // The login, home and password screens are not part of this window yet.
      logPrintf("[Parvolex] Acao ainda nao disponivel nesta janela (%d)\n", int(decision.action));
      break;
  }
  if (!decision.status.empty()) px::setStatus(std::string(decision.status).c_str());
}

void MainWindow::command(int id) {
  if (id == kDisconnectCommand) setup_.host->disconnect();
  if (id == kChatCommand) showChatWindow();
}

void MainWindow::close() {
  setup_.appRunning->store(false);
  setup_.host->disconnect();
  DestroyWindow(hwnd_);
}

SizeF MainWindow::clientDips() const {
  RECT r;
  GetClientRect(hwnd_, &r);
  return pixelsToDips(SizePx{r.right - r.left, r.bottom - r.top}, dpi_);
}

PointF MainWindow::pointDips(LPARAM lParam) const {
  return pixelsToDips(PointPx{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, dpi_);
}

MainPaintInput MainWindow::paintInput() const {
  MainPaintInput in;
  in.client = clientDips();
  in.maximised = maximised();
  in.hover = hover_;
  const HostState hostState = setup_.host->state();
  const RelayStatus relay = registrationState().status();
  in.compact.sessionActive = hostState == HostState::kActive;
  in.compact.chatWindowOpen = hostChatWindow_ && hostChatWindow_->exists();
  in.compact.relayRegistered = relay == RelayStatus::kRegistered;
  in.compact.passwordSet = readPasswordStore().hasPassword;
  in.statusText = statusText();
  in.statusDot = statusIndicatorColour(in.statusText, hostState, relay);
  return in;
}

void MainWindow::paint() {
  PAINTSTRUCT ps;
  BeginPaint(hwnd_, &ps);
  if (!target_ && setup_.d2d) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const auto props = D2D1::RenderTargetProperties(D2D1_RENDER_TARGET_TYPE_DEFAULT,
                                                    D2D1::PixelFormat(), float(dpi_), float(dpi_));
    const auto hwndProps = D2D1::HwndRenderTargetProperties(
        hwnd_, D2D1::SizeU(UINT32(client.right), UINT32(client.bottom)));
    setup_.d2d->CreateHwndRenderTarget(props, hwndProps, &target_);
  }
  if (target_) {
    MainPaintInput in = paintInput();
    // The ID is kept out of paintInput's const copy: only a host-mode window shows one.
    const std::string id = setup_.hostMode ? registrationState().currentId() : std::string();
    in.compact.id = id;
    target_->BeginDraw();
    target_->SetTransform(D2D1::Matrix3x2F::Identity());
    paintMainWindow(target_.Get(), setup_.dwrite.Get(), formats_, in, regions_);
    if (target_->EndDraw() == HRESULT(D2DERR_RECREATE_TARGET)) target_ = nullptr;
  }
  EndPaint(hwnd_, &ps);
}

void MainWindow::refreshSessionControls() { repaint(); }

void MainWindow::repaint() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void MainWindow::setStatus(const std::string& text) { px::setStatus(text.c_str()); }

void MainWindow::hostSessionStarting(const std::string& peerName) {
  chatTranscript_.clear();
  hostPeerName_ = utf8ToUtf16(peerName);
}

void MainWindow::hostSessionGone() {
  hostChatWindow_.reset();
  chatTranscript_.clear();
  hostPeerName_.clear();
}

void MainWindow::hostChatReceived(const std::u16string& text) {
  if (!hostChatWindow_) {
    hostChatWindow_ = std::make_unique<HostChatWindow>(
        hwnd_, chatTranscript_, [this](const std::string& utf8) { return sendChat(utf8); });
    hostChatWindow_->setPeerName(hostPeerName_);
  }
  hostChatWindow_->addReceived(text);
}

void MainWindow::showChatWindow() {
  if (hostChatWindow_ && hostChatWindow_->exists()) hostChatWindow_->showAgain(true);
}

bool MainWindow::sendChat(const std::string& utf8) { return setup_.host->sendChat(utf8); }

void MainWindow::loginFinished(std::unique_ptr<LoginResult>) {
  // The login screen that starts logins comes with the technician's screens.
}

void MainWindow::clearLogin() {
  clearLoginState(accountState());
  forgetSavedLogin();
}

void MainWindow::showLoginScreen(const std::string& message) {
  logPrintf("[LOGIN] %s\n", message.c_str());
}

}  // namespace px
