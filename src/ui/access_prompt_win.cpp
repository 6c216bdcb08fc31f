#include "ui/access_prompt_win.h"

#include <windowsx.h>

#include <mutex>

#include "ui/access_prompt_model.h"
#include "ui/d2d_support_win.h"
#include "ui/dip.h"
#include "ui/work_area_win.h"

namespace px {
namespace {

using Microsoft::WRL::ComPtr;

constexpr UINT_PTR kCountdownTimer = 1;

struct PromptWindow {
  AccessPromptModel model;
  std::wstring name, idLine;
  int dpi = kDefaultDpi;
  ComPtr<ID2D1Factory> d2d;
  ComPtr<IDWriteFactory> dwrite;
  ComPtr<ID2D1HwndRenderTarget> target;
  ComPtr<IDWriteTextFormat> title, heading, nameFormat, body, small, button;

  void release() {
    title = heading = nameFormat = body = small = button = nullptr;
    target = nullptr;
    dwrite = nullptr;
    d2d = nullptr;
  }
};

PromptWindow* stateOf(HWND hwnd) {
  return reinterpret_cast<PromptWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

PointF clientDips(HWND, LPARAM lParam, int dpi) {
  return pixelsToDips(PointPx{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, dpi);
}

void drawButtons(ID2D1RenderTarget* rt, const PromptWindow& w, const PromptLayout& l) {
  fillRoundedRect(rt, l.refuse, 8, w.model.refuseFill());
  outlineRoundedRect(rt, l.refuse, 8, kSeparatorColour, 1);
  drawText(rt, widen(kPromptRefuseText), w.button.Get(), l.refuse, kTextColour);
  fillRoundedRect(rt, l.accept, 8, w.model.acceptFill());
  drawText(rt, widen(kPromptAcceptText), w.button.Get(), l.accept, kWhiteColour);
}

void drawCheckBox(ID2D1RenderTarget* rt, const PromptWindow& w, const PromptLayout& l) {
  if (w.model.allowControl()) {
    fillRoundedRect(rt, l.checkBox, 4, kAccentColour);
    for (const LineF& line : l.checkMark) drawLine(rt, line, kWhiteColour, 1.6f);
  } else {
    fillRoundedRect(rt, l.checkBox, 4, kFieldColour);
    outlineRoundedRect(rt, l.checkBox, 4, kSeparatorColour, 1);
  }
  drawText(rt, widen(kPromptControlLabel), w.body.Get(), l.controlLabel, kTextColour);
}

void drawPrompt(ID2D1RenderTarget* rt, const PromptWindow& w) {
  const PromptLayout l = layoutPrompt(!w.idLine.empty());
  rt->Clear(toD2D(kBackgroundColour));
  drawAppMark(rt, kAppMarkOrigin, kAppMarkSize);
  drawText(rt, widen(kWindowTitle), w.title.Get(), l.title, kTextColour);
  drawLine(rt, l.separator, kSeparatorColour, 1);
  if (w.model.closeHovered()) fillRect(rt, kPromptCloseBox, kCloseHoverColour);
  const Rgb glyph = w.model.closeHovered() ? kWhiteColour : kTextColour;
  for (const LineF& line : l.closeGlyph) drawLine(rt, line, glyph, 1.15f);
  drawText(rt, widen(kPromptHeading), w.heading.Get(), l.heading, kTextColour);
  drawText(rt, w.name, w.nameFormat.Get(), l.name, kTextColour);
  if (l.showIdLine) drawText(rt, w.idLine, w.small.Get(), l.idLine, kAccentColour);
  drawText(rt, widen(kPromptWantsAccess), w.body.Get(), l.wantsAccess, kTextColour);
  drawText(rt, widen(kPromptWarning), w.body.Get(), l.warning, kSecondaryTextColour);
  drawCheckBox(rt, w, l);
  drawText(rt, widen(promptCountdownText(w.model.secondsLeft())), w.small.Get(), l.countdown,
           kSecondaryTextColour);
  drawButtons(rt, w, l);
  outlineRoundedRect(rt, l.frame, 0, kSeparatorColour, 1);
}

void paint(HWND hwnd, PromptWindow& w) {
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  if (w.target) {
    w.target->BeginDraw();
    w.target->SetTransform(D2D1::Matrix3x2F::Identity());
    drawPrompt(w.target.Get(), w);
    // A lost device is not rebuilt: the prompt stops drawing until it closes.
    if (w.target->EndDraw() == HRESULT(D2DERR_RECREATE_TARGET)) w.target = nullptr;
  }
  EndPaint(hwnd, &ps);
}

void react(HWND hwnd, PromptReaction reaction) {
  if (reaction == PromptReaction::kRepaint) InvalidateRect(hwnd, nullptr, FALSE);
  if (reaction == PromptReaction::kClose) DestroyWindow(hwnd);
}

bool mouseMessage(HWND hwnd, PromptWindow& w, UINT msg, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE: {
      const PromptReaction r = w.model.onMouseMove(clientDips(hwnd, lParam, w.dpi));
      if (r != PromptReaction::kNone) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
      }
      react(hwnd, r);
      return true;
    }
    case WM_MOUSELEAVE: react(hwnd, w.model.onMouseLeave()); return true;
    case WM_LBUTTONDOWN:
      SetCapture(hwnd);
      react(hwnd, w.model.onButtonDown(clientDips(hwnd, lParam, w.dpi)));
      return true;
    case WM_LBUTTONUP:
      ReleaseCapture();
      react(hwnd, w.model.onButtonUp(clientDips(hwnd, lParam, w.dpi)));
      return true;
  }
  return false;
}

LRESULT hitTest(HWND hwnd, const PromptWindow& w, LPARAM lParam) {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(hwnd, &p);
  return toHitTestCode(promptFrameHit(pixelsToDips(PointPx{p.x, p.y}, w.dpi)));
}

bool setCursor(HWND hwnd, const PromptWindow& w, LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT) return false;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(hwnd, &p);
  const bool hand = promptRegionAt(pixelsToDips(PointPx{p.x, p.y}, w.dpi)) != PromptRegion::kNone;
  SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
  return true;
}

void dpiChanged(HWND hwnd, PromptWindow& w, WPARAM wParam, LPARAM lParam) {
  w.dpi = HIWORD(wParam);
  const RECT* r = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (w.target) w.target->SetDpi(float(w.dpi), float(w.dpi));
}

LRESULT CALLBACK promptProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(create->lpCreateParams));
  }
  PromptWindow* w = stateOf(hwnd);
  if (!w) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (mouseMessage(hwnd, *w, msg, lParam)) return 0;
  switch (msg) {
    case WM_PAINT: paint(hwnd, *w); return 0;
    case WM_TIMER: react(hwnd, w->model.onTimer()); return 0;
    case WM_SETCURSOR:
      if (setCursor(hwnd, *w, lParam)) return TRUE;
      break;
    case WM_NCHITTEST: return hitTest(hwnd, *w, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE || wParam == VK_RETURN) react(hwnd, w->model.onRefuseKeyOrClose());
      return 0;
    case WM_CLOSE: react(hwnd, w->model.onRefuseKeyOrClose()); return 0;
    case WM_DPICHANGED: dpiChanged(hwnd, *w, wParam, lParam); return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED && w->target) {
        w->target->Resize(D2D1::SizeU(LOWORD(lParam), HIWORD(lParam)));
      }
      return 0;
    case WM_NCCALCSIZE: return 0;  // both forms: the client area is the whole window
    case WM_NCACTIVATE: return DefWindowProcW(hwnd, msg, wParam, -1);  // no frame repaint
    case WM_ERASEBKGND: return 1;
    case WM_DESTROY:
      KillTimer(hwnd, kCountdownTimer);
      w->release();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0); break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void registerPromptClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = promptProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    static const std::wstring name = widen(kPromptWindowClass);
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
  });
}

bool createDrawing(HWND hwnd, PromptWindow& w) {
  if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, w.d2d.GetAddressOf()))) return false;
  if (FAILED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                 reinterpret_cast<IUnknown**>(w.dwrite.GetAddressOf())))) {
    return false;
  }
  RECT client;
  GetClientRect(hwnd, &client);
  const auto props = D2D1::RenderTargetProperties(D2D1_RENDER_TARGET_TYPE_DEFAULT,
                                                  D2D1::PixelFormat(), float(w.dpi), float(w.dpi));
  const auto hwndProps = D2D1::HwndRenderTargetProperties(
      hwnd, D2D1::SizeU(UINT32(client.right - client.left), UINT32(client.bottom - client.top)));
  if (FAILED(w.d2d->CreateHwndRenderTarget(props, hwndProps, &w.target))) return false;
  IDWriteFactory* f = w.dwrite.Get();
  w.title = createTextFormat(f, kPromptTitleFormat);
  w.heading = createTextFormat(f, kPromptHeadingFormat);
  w.nameFormat = createTextFormat(f, kPromptNameFormat);
  w.body = createTextFormat(f, kPromptBodyFormat);
  w.small = createTextFormat(f, kPromptSmallFormat);
  w.button = createTextFormat(f, kPromptButtonFormat);
  return true;
}

void drainMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

void announce(HWND hwnd, HWND mainWindow) {
  SetTimer(hwnd, kCountdownTimer, kPromptTimerMs, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(hwnd);
  if (mainWindow) {
    FLASHWINFO flash{sizeof flash, mainWindow, FLASHW_ALL, 1, 0};
    FlashWindowEx(&flash);
  }
  MessageBeep(MB_ICONEXCLAMATION);
}

}  // namespace

PromptAnswer showAccessPrompt(std::string_view name, std::string_view id, HWND mainWindow) {
  registerPromptClass();
  PromptWindow w;
  w.name = widen(promptDisplayName(name));
  w.idLine = widen(promptIdLine(id));
  w.dpi = promptDpi(mainWindow ? int(GetDpiForWindow(mainWindow)) : 0, int(GetDpiForSystem()));
  const RectPx r = promptWindowRect(workAreaNear(mainWindow), w.dpi);
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, widen(kPromptWindowClass).c_str(),
                              widen(kWindowTitle).c_str(), WS_POPUP | WS_SYSMENU | WS_THICKFRAME,
                              r.left, r.top, r.width(), r.height(), nullptr, nullptr,
                              GetModuleHandleW(nullptr), &w);
  if (!hwnd) return {};
  applyDarkFrame(hwnd, true);
  if (!createDrawing(hwnd, w)) {
    DestroyWindow(hwnd);
    drainMessages();
    return {};
  }
  announce(hwnd, mainWindow);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return {w.model.accepted(), w.model.allowControl()};
}

}  // namespace px
