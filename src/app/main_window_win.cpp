#include "app/main_window_win.h"

#include <windowsx.h>

#include <mutex>

#include "app/access_password_commands.h"
#include "app/home_cards.h"
#include "app/status_indicator.h"
#include "base/bytes.h"
#include "base/log.h"
#include "relay/login_state.h"
#include "relay/registration_loop.h"
#include "store/saved_login.h"
#include "ui/clipboard_win.h"
#include "ui/d2d_support_win.h"
#include "ui/dip.h"
#include "ui/edit_style_win.h"
#include "ui/frame_layout.h"
#include "ui/host_chat_window_win.h"
#include "ui/status_line.h"
#include "ui/work_area_win.h"
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
    : setup_(std::move(setup)),
      hostControl_(*setup_.host),
      messages_(hostControl_, *this),
      services_(*setup_.reports, hostControl_, setup_.hostMode,
                [viewers = setup_.viewers](const std::string& id, std::string password) {
                  if (viewers) viewers->start(id, std::move(password));
                }),
      screens_(*this, services_, accountState()),
      controls_(setup_.d2d, setup_.dwrite) {}

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
  const bool controlsMade = controls_.create(
      hwnd_, dpi_, [this](MainControl edit, EditKey key) { return screens_.editKey(edit, key); },
      [this] { repaint(); });
  if (!controlsMade) logPrintf("[Parvolex] Falha ao criar os controles da janela (%lu)\n", GetLastError());
  screens_.placeControls();
  statusWindow.store(hwnd_);
  setStatusRepaintHook(repaintStatusWindow);
  setup_.poster->setWindow(hwnd_);
  return true;
}

void MainWindow::show() {
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
}

void MainWindow::start(const std::string& autoConnectTarget) {
  if (autoConnectTarget.empty()) return;
  screens_.setAutoConnectTarget(autoConnectTarget);
  screens_.enterHomeScreen();
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
  if (childMessage(msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_PAINT: paint(); return 0;
    case WM_ERASEBKGND: return 1;  // painting covers everything
    case WM_COMMAND:
      // Button clicks and posted commands; the edits' notifications carry a code and are not
      // commands.
      if (HIWORD(wParam) == BN_CLICKED) command(LOWORD(wParam));
      return 0;
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
                       home(), &regions_};
      result = toHitTestCode(frameHitTest(in));
      return true;
    }
    case WM_GETMINMAXINFO: trackSize(*reinterpret_cast<MINMAXINFO*>(lParam)); return true;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MAXIMIZE && !systemMaximiseAllowed(home())) return true;
      return false;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) screens_.placeControls();
      return false;
    case WM_DPICHANGED:
      dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return true;
  }
  return false;
}

void MainWindow::trackSize(MINMAXINFO& info) const {
  const TrackLimits limits = trackLimits(home());
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
  cardBitmaps_.clear();
  thumbnails_.clear();
  controls_.setDpi(dpi_);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  screens_.placeControls();
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
  switch (updateHover(hover_, hoverAt(point, clientDips().width, home(), regions_))) {
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
  act(clickAt(point, clientDips().width, home(), regions_));
}

void MainWindow::buttonUp(PointF point) {
  if (pressedCaption_ == CaptionButton::kNone) return;
  const CaptionButton pressed = pressedCaption_;
  pressedCaption_ = CaptionButton::kNone;
  ReleaseCapture();
  const CaptionButton under = captionButtonAt(point, clientDips().width, home());
  switch (captionButtonUp(pressed, under, home(), maximised())) {
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
    case ClickAction::kCommand: postCommand(decision.command); break;
    case ClickAction::kRemovePassword: screens_.applyPasswordOutcome(removePasswordCommand()); break;
    case ClickAction::kToggleFavourite: toggleFavourite(decision.key); break;
    default: screens_.click(decision); break;
  }
  if (!decision.status.empty()) px::setStatus(std::string(decision.status).c_str());
}

void MainWindow::command(int id) {
  if (screens_.command(id)) return;
  if (id == kDisconnectCommand) setup_.host->disconnect();
  if (id == kChatCommand) showChatWindow();
  if (id == kSavePasswordCommand) savePassword();
}

void MainWindow::savePassword() {
  const PasswordForm form =
      screens_.passwordScreenShown() ? PasswordForm::kPasswordScreen : PasswordForm::kHomeSection;
  std::u16string typed16 = controls_.text(MainControl::kNewPasswordEdit);
  std::u16string repeat16 = controls_.text(MainControl::kRepeatPasswordEdit);
  std::string typed = utf16ToUtf8(typed16);
  std::string repeat = utf16ToUtf8(repeat16);
  secureWipe(typed16);
  secureWipe(repeat16);
  screens_.applyPasswordOutcome(savePasswordCommand(form, typed, repeat));
}

void MainWindow::toggleFavourite(const std::string& id) {
  std::string login;
  {
    std::lock_guard lock(accountState().lock);
    login = accountState().session.loginName;
  }
  px::setStatus(toggleCardFavourite(login, id));
  repaint();
}

bool MainWindow::childMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:  // what a read-only edit sends
      if (!controls_.isEdit(HWND(lParam))) return false;
      result = colourEdit(HDC(wParam));
      return true;
    case WM_DRAWITEM:
      if (!controls_.drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return false;
      result = TRUE;
      return true;
  }
  return false;
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
  in.compact.passwordSet = accessPasswordIsSet();
  in.statusText = statusText();
  in.statusDot = statusIndicatorColour(in.statusText, hostState, relay);
  in.homeShown = screens_.homeShown();
  in.loginShown = screens_.loginShown();
  in.passwordScreenShown = screens_.passwordScreenShown();
  in.loginInProgress = screens_.loginInProgress();
  in.rememberLogin = screens_.rememberLogin();
  in.loginError = screens_.loginError();
  in.passwordError = screens_.passwordError();
  in.focusedEdit = controls_.focusedEdit();
  if (in.homeShown) in.accountName = screens_.accountName();
  return in;
}

void MainWindow::paint() {
  PAINTSTRUCT ps;
  BeginPaint(hwnd_, &ps);
  if (!target_ && setup_.d2d) {
    const auto props = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT,
        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE), float(dpi_),
        float(dpi_));
    setup_.d2d->CreateDCRenderTarget(&props, &target_);
    cardBitmaps_.clear();  // they belonged to the old target
  }
  RECT client{};
  GetClientRect(hwnd_, &client);
  bool lost = false;
  if (target_ && SUCCEEDED(target_->BindDC(ps.hdc, &client))) {
    MainPaintInput in = paintInput();
    // The cards are read here, not in paintInput: the thumbnails are cached per window.
    if (in.homeShown) in.cards = layoutHomeCards(in.client, services_.now(), hover_, thumbnails_);
    // The layout input holds a view of the ID; the text lives here through the paint. Only a
    // host-mode window has one.
    const std::string id = setup_.hostMode ? registrationState().currentId() : std::string();
    in.compact.id = id;
    target_->BeginDraw();
    target_->SetTransform(D2D1::Matrix3x2F::Identity());
    paintMainWindow(target_.Get(), setup_.dwrite.Get(), formats_, in, cardBitmaps_, regions_);
    lost = target_->EndDraw() == HRESULT(D2DERR_RECREATE_TARGET);
  }
  EndPaint(hwnd_, &ps);
  if (lost) {
    target_ = nullptr;  // made again by the next paint
    repaint();
  }
}

void MainWindow::refreshSessionControls() { screens_.refreshSessionControls(); }

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

void MainWindow::loginFinished(std::unique_ptr<LoginResult> result) {
  screens_.loginFinished(std::move(result));
}

void MainWindow::clearLogin() { screens_.clearLocalLogin(); }

void MainWindow::showLoginScreen(const std::string& message) { screens_.showLoginScreen(message); }

WindowFrame MainWindow::windowFrame() const {
  RECT window{};
  GetWindowRect(hwnd_, &window);
  WindowFrame frame;
  frame.window = toRectPx(window);
  frame.workArea = toRectPx(workAreaOf(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST)));
  frame.dpi = dpi_;
  frame.maximised = maximised();
  return frame;
}

void MainWindow::restoreWindow() { ShowWindow(hwnd_, SW_RESTORE); }

void MainWindow::moveWindow(const RectPx& r) {
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width(), r.height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MainWindow::hostChatWindowOpen() const {
  return hostChatWindow_ && hostChatWindow_->exists();
}

void MainWindow::applyControls(const MainControlsPlacement& placement) {
  controls_.apply(placement);
}

void MainWindow::postCommand(int command) {
  PostMessageW(hwnd_, WM_COMMAND, WPARAM(command), 0);
}

}  // namespace px
