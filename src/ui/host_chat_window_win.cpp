#include "ui/host_chat_window_win.h"

#include <dwrite.h>
#include <windowsx.h>

#include <mutex>
#include <utility>

#include "base/log.h"
#include "ui/chat_edit_win.h"
#include "ui/chat_send_message.h"
#include "ui/d2d_support_win.h"
#include "ui/dip.h"
#include "ui/edit_style_win.h"
#include "ui/host_chat_layout.h"
#include "ui/message_list_win.h"
#include "ui/theme.h"
#include "ui/work_area_win.h"

namespace px {
namespace {

using Microsoft::WRL::ComPtr;

// The two formats and the factory that measures with them, made once per process.
struct ChatTextFormats {
  ComPtr<IDWriteFactory> dwrite;
  ComPtr<IDWriteTextFormat> line, title;
};

const ChatTextFormats& chatTextFormats() {
  static const ChatTextFormats formats = [] {
    ChatTextFormats f;
    if (SUCCEEDED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                      reinterpret_cast<IUnknown**>(f.dwrite.GetAddressOf())))) {
      f.line = createTextFormat(f.dwrite.Get(), kChatLineFormat);
      f.title = createTextFormat(f.dwrite.Get(), kChatTitleFormat);
    }
    return f;
  }();
  return formats;
}

PointF clientDips(LPARAM lParam, int dpi) {
  return pixelsToDips(PointPx{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, dpi);
}

SizeF clientSizeDips(HWND hwnd, int dpi) {
  RECT client{};
  GetClientRect(hwnd, &client);
  return pixelsToDips(SizePx{client.right - client.left, client.bottom - client.top}, dpi);
}

void flashOnce(HWND hwnd) {
  FLASHWINFO flash{sizeof flash, hwnd, FLASHW_ALL, 1, 0};
  FlashWindowEx(&flash);
}

}  // namespace

HostChatWindow::HostChatWindow(HWND owner, ChatHistory& history, SendLine send)
    : owner_(owner), history_(history), send_(std::move(send)) {}

HostChatWindow::~HostChatWindow() { destroy(); }  // while every member is still alive

bool HostChatWindow::open(std::u16string_view peerName) {
  if (!peerName.empty()) peerName_ = peerName;
  if (!exists() && !create()) return false;
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  repaint();
  return true;
}

void HostChatWindow::showAgain(bool foreground) {
  if (!exists()) return;
  if (foreground) {
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
  } else {
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    flashOnce(hwnd());
  }
  repaint();
}

void HostChatWindow::addReceived(std::u16string_view text) {
  std::u16string line = normalizeChatText(text);
  if (line.empty()) return;
  history_.add(false, std::move(line));
  if (exists()) {
    showAgain(false);
  } else {
    open();
  }
}

void HostChatWindow::setPeerName(std::u16string name) {
  peerName_ = std::move(name);
  repaint();
}

void HostChatWindow::repaint() {
  if (exists()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void HostChatWindow::destroy() { window_.reset(); }

bool HostChatWindow::create() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = fieldBrush();
    static const std::wstring name = widen(kHostChatWindowClass);
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
  });
  dpi_ = hostChatDpi(owner_ ? int(GetDpiForWindow(owner_)) : int(GetDpiForSystem()));
  const RectPx r = hostChatWindowRect(workAreaNear(owner_), dpi_);
  // Clipping the edit box out keeps Direct2D from painting over it.
  CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, widen(kHostChatWindowClass).c_str(),
                  widen(kHostChatTitle).c_str(), WS_POPUP | WS_CLIPCHILDREN, r.left, r.top,
                  r.width(), r.height(), owner_, nullptr, GetModuleHandleW(nullptr), this);
  if (!exists()) {
    logPrintf("[HOST] Janela de chat nao foi criada (erro %lu)\n", GetLastError());
    return false;
  }
  applyDarkCorners(hwnd());
  if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, d2d_.GetAddressOf()))) {
    logPrintf("[HOST] Direct2D indisponivel para a janela de chat\n");
  }
  editFont_ = createEditFont(dpi_);
  const RectF edit = layoutHostChat(clientSizeDips(hwnd(), dpi_)).edit;
  edit_ = createChatEdit(hwnd(), dipsToPixels(edit, dpi_), editFont_.get(), dpi_);
  return true;
}

LRESULT CALLBACK HostChatWindow::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<HostChatWindow*>(
        reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(self));
    self->window_.reset(hwnd);  // owned from here, so that a failed creation frees nothing twice
  }
  auto* self = reinterpret_cast<HostChatWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->forgetWindow();
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return self->handle(msg, wParam, lParam);
}

LRESULT HostChatWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: paint(); return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) layoutEdit();
      return 0;
    case WM_CTLCOLOREDIT: return colourEdit(HDC(wParam));
    case WM_APP_CHAT_SEND: sendTyped(); return 0;
    case WM_LBUTTONDOWN: leftButtonDown(lParam); return 0;
    case WM_NCHITTEST: return hitTest(lParam);
    case WM_CLOSE: ShowWindow(hwnd(), SW_HIDE); return 0;  // destroyed only with the connection
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && edit_) SetFocus(edit_);
      return 0;
    case WM_SETFOCUS:
      if (edit_) SetFocus(edit_);
      return 0;
    case WM_DPICHANGED: dpiChanged(wParam, lParam); return 0;
  }
  return DefWindowProcW(hwnd(), msg, wParam, lParam);
}

void HostChatWindow::forgetWindow() {
  window_.release();  // the system is destroying it
  edit_ = nullptr;
  target_ = nullptr;
  d2d_ = nullptr;
  editFont_.reset();
}

// A render target bound to the paint DC, not to the window: the window's native edit box is then
// composed by the window system like any child, also where Direct2D draws through OpenGL (Wine),
// whose surface would otherwise cover the edit.
bool HostChatWindow::makeTarget() {
  if (!d2d_) return false;
  const auto props = D2D1::RenderTargetProperties(
      D2D1_RENDER_TARGET_TYPE_DEFAULT,
      D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE), float(dpi_),
      float(dpi_));
  return SUCCEEDED(d2d_->CreateDCRenderTarget(&props, &target_));
}

void HostChatWindow::paint() {
  PAINTSTRUCT ps;
  BeginPaint(hwnd(), &ps);
  bool lost = false;
  RECT client{};
  GetClientRect(hwnd(), &client);
  if ((target_ || makeTarget()) && SUCCEEDED(target_->BindDC(ps.hdc, &client))) {
    target_->BeginDraw();
    target_->SetTransform(D2D1::Matrix3x2F::Identity());
    draw(target_.Get());
    lost = target_->EndDraw() == HRESULT(D2DERR_RECREATE_TARGET);
  }
  EndPaint(hwnd(), &ps);
  if (lost) {
    target_ = nullptr;  // made again by the next paint
    repaint();
  }
}

void HostChatWindow::draw(ID2D1RenderTarget* rt) {
  const ChatTextFormats& text = chatTextFormats();
  const HostChatLayout l = layoutHostChat(clientSizeDips(hwnd(), dpi_));
  rt->Clear(toD2D(kBackgroundColour));
  drawText(rt, widen(kHostChatTitle), text.title.Get(), l.title, kTextColour);
  if (!peerName_.empty()) {
    drawText(rt, wide(chatDisplayText(peerName_)), text.line.Get(), l.peer, kSecondaryTextColour);
  }
  for (const LineF& line : l.closeGlyph) drawLine(rt, line, kTextColour, 1.15f);
  drawLine(rt, l.separator, kSeparatorColour, 1);
  if (history_.entries().empty()) {
    drawText(rt, widen(kHostChatEmpty), text.line.Get(), l.emptyText, kSecondaryTextColour);
  } else {
    drawMessageList(rt, text.dwrite.Get(), text.line.Get(), history_.entries(), l.messages);
  }
}

void HostChatWindow::layoutEdit() {
  if (!edit_) return;
  const RectPx r = dipsToPixels(layoutHostChat(clientSizeDips(hwnd(), dpi_)).edit, dpi_);
  MoveWindow(edit_, r.left, r.top, r.width(), r.height(), TRUE);
}

void HostChatWindow::sendTyped() {
  if (!edit_) return;
  const std::u16string text = normalizeChatText(chatEditText(edit_));
  if (text.empty() || !send_) return;
  if (!send_(narrow(wide(text)))) return;  // the line stays in the edit box for another try
  history_.add(true, text);
  SetWindowTextW(edit_, L"");
  repaint();
}

void HostChatWindow::leftButtonDown(LPARAM lParam) {
  const float width = clientSizeDips(hwnd(), dpi_).width;
  if (hostChatClickAt(clientDips(lParam, dpi_), width) == HostChatClick::kHide) {
    ShowWindow(hwnd(), SW_HIDE);
  }
}

// The header drags the window as a caption would; the close corner and the rest are client.
LRESULT HostChatWindow::hitTest(LPARAM lParam) const {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(hwnd(), &p);
  const float width = clientSizeDips(hwnd(), dpi_).width;
  const PointF at = pixelsToDips(PointPx{p.x, p.y}, dpi_);
  return hostChatClickAt(at, width) == HostChatClick::kDrag ? HTCAPTION : HTCLIENT;
}

void HostChatWindow::dpiChanged(WPARAM wParam, LPARAM lParam) {
  dpi_ = hostChatDpi(HIWORD(wParam));
  target_ = nullptr;  // made again at the new DPI
  ScopedFont font = createEditFont(dpi_);
  if (edit_) styleChatEdit(edit_, font.get(), dpi_);
  editFont_ = std::move(font);  // the old font is freed only once the edit has let go of it
  const RECT* r = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(hwnd(), nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  layoutEdit();
  repaint();
}

}  // namespace px
