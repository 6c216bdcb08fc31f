#include "ui/main_controls_win.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "ui/d2d_support_win.h"
#include "ui/dip.h"
#include "ui/edit_style_win.h"
#include "ui/theme.h"

namespace px {
namespace {

constexpr float kButtonRadius = 8;

HWND createEdit(HWND parent, const MainControlInfo& info) {
  DWORD style = WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL;
  if (info.hiddenCharacters) style |= ES_PASSWORD;
  if (info.lowerCase) style |= ES_LOWERCASE;
  HWND edit = CreateWindowExW(0, L"EDIT", L"", style, 0, 0, 0, 0, parent,
                              HMENU(INT_PTR(info.commandId)), GetModuleHandleW(nullptr), nullptr);
  if (!edit) return nullptr;
  SetWindowTheme(edit, L"", L"");
  SendMessageW(edit, EM_SETLIMITTEXT, WPARAM(info.limit), 0);
  const std::wstring cue = widen(info.text);
  SendMessageW(edit, EM_SETCUEBANNER, TRUE, LPARAM(cue.c_str()));
  return edit;
}

HWND createButton(HWND parent, const MainControlInfo& info) {
  return CreateWindowExW(0, L"BUTTON", widen(info.text).c_str(),
                         WS_CHILD | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0, parent,
                         HMENU(INT_PTR(info.commandId)), GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

bool MainControls::create(HWND parent, int dpi, KeyDecision keys, FocusChanged focusChanged) {
  parent_ = parent;
  keys_ = std::move(keys);
  focusChanged_ = std::move(focusChanged);
  if (dwrite_) buttonFormat_ = createTextFormat(dwrite_.Get(), kButtonFormat);
  for (MainControl c : kAllMainControls) {
    const MainControlInfo& info = mainControlInfo(c);
    HWND h = info.edit ? createEdit(parent, info) : createButton(parent, info);
    if (!h) return false;
    handles_[size_t(c)] = h;
    // The subclass identifier is the control, so one procedure serves all of them.
    SetWindowSubclass(h, info.edit ? editProc : buttonProc, UINT_PTR(c), DWORD_PTR(this));
  }
  setDpi(dpi);
  return true;
}

void MainControls::setDpi(int dpi) {
  dpi_ = usableDpi(dpi);
  buttonTarget_ = nullptr;
  ScopedFont font = createEditFont(dpi_);
  for (MainControl c : kAllMainControls) {
    if (mainControlInfo(c).edit) SendMessageW(handle(c), WM_SETFONT, WPARAM(font.get()), TRUE);
  }
  font_ = std::move(font);  // the old font goes only once no edit uses it
}

void MainControls::apply(const MainControlsPlacement& placement) {
  for (MainControl c : kAllMainControls) {
    HWND h = handle(c);
    if (!h) continue;
    const ControlPlacement& p = placement[c];
    if (p.shown) {
      const RectPx r = dipsToPixels(p.rect, dpi_);
      SetWindowPos(h, nullptr, r.left, r.top, r.width(), r.height(),
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    } else {
      ShowWindow(h, SW_HIDE);
    }
    EnableWindow(h, p.enabled ? TRUE : FALSE);
    if (mainControlInfo(c).edit) SendMessageW(h, EM_SETREADONLY, p.readOnly ? TRUE : FALSE, 0);
  }
}

std::u16string MainControls::text(MainControl edit) const {
  HWND h = handle(edit);
  const int length = h ? GetWindowTextLengthW(h) : 0;
  if (length <= 0) return {};
  std::wstring text(size_t(length) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(h, text.data(), length + 1)));
  std::u16string out(text.begin(), text.end());
  SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));  // may be a password
  return out;
}

void MainControls::setText(MainControl edit, const std::u16string& text) {
  if (HWND h = handle(edit)) SetWindowTextW(h, std::wstring(text.begin(), text.end()).c_str());
}

void MainControls::focus(MainControl control) {
  if (HWND h = handle(control)) SetFocus(h);
}

bool MainControls::isEdit(HWND window) const {
  for (MainControl c : kAllMainControls) {
    if (handle(c) == window && window) return mainControlInfo(c).edit;
  }
  return false;
}

void MainControls::runKey(MainControl edit, EditKey key) {
  if (!keys_) return;
  const EditKeyAction action = keys_(edit, key);
  if (action.command) PostMessageW(parent_, WM_COMMAND, WPARAM(action.command), 0);
  if (action.moveFocus) focus(action.focus);
}

LRESULT CALLBACK MainControls::editProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self) {
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(h, editProc, id);
    return DefSubclassProc(h, msg, wParam, lParam);
  }
  return reinterpret_cast<MainControls*>(self)->editMessage(MainControl(id), msg, wParam, lParam);
}

LRESULT MainControls::editMessage(MainControl edit, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND h = handle(edit);
  switch (msg) {
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        runKey(edit, EditKey::kEnter);
        return 0;
      }
      if (wParam == VK_TAB) {
        runKey(edit, EditKey::kTab);
        return 0;
      }
      break;
    case WM_CHAR:
      // What Tab and Enter type: a single-line edit would only beep.
      if (wParam == L'\t' || wParam == L'\r' || wParam == L'\n') return 0;
      break;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(h, &r);
      FillRect(HDC(wParam), &r, fieldBrush());
      return 1;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT result = DefSubclassProc(h, msg, wParam, lParam);
      if (msg == WM_SETFOCUS) {
        focusedEdit_ = edit;
      } else if (focusedEdit_ == edit) {
        focusedEdit_.reset();
      }
      if (focusChanged_) focusChanged_();  // the parent draws the focused field's frame
      return result;
    }
  }
  return DefSubclassProc(h, msg, wParam, lParam);
}

LRESULT CALLBACK MainControls::buttonProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self) {
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(h, buttonProc, id);
    return DefSubclassProc(h, msg, wParam, lParam);
  }
  return reinterpret_cast<MainControls*>(self)->buttonMessage(MainControl(id), msg, wParam, lParam);
}

LRESULT MainControls::buttonMessage(MainControl button, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND h = handle(button);
  bool& hovered = hovered_[size_t(button)];
  switch (msg) {
    case WM_MOUSEMOVE:
      if (!hovered) {
        hovered = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, h, 0};
        TrackMouseEvent(&track);
        InvalidateRect(h, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      hovered = false;
      InvalidateRect(h, nullptr, FALSE);
      break;
    case WM_ERASEBKGND: return 1;  // the drawing covers the button
  }
  return DefSubclassProc(h, msg, wParam, lParam);
}

bool MainControls::drawButton(const DRAWITEMSTRUCT& item) {
  MainControl button{};
  bool found = false;
  for (MainControl c : kAllMainControls) {
    if (handle(c) == item.hwndItem && !mainControlInfo(c).edit) {
      button = c;
      found = true;
    }
  }
  if (!found) return false;
  if (!buttonTarget_ && d2d_) {
    const auto props = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT,
        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE), float(dpi_),
        float(dpi_));
    d2d_->CreateDCRenderTarget(&props, &buttonTarget_);
  }
  if (!buttonTarget_ || FAILED(buttonTarget_->BindDC(item.hDC, &item.rcItem))) return true;
  const SizeF size = pixelsToDips(
      SizePx{item.rcItem.right - item.rcItem.left, item.rcItem.bottom - item.rcItem.top}, dpi_);
  const RectF box{0, 0, size.width, size.height};
  const OwnerButtonLook look = ownerButtonLook(button, hovered_[size_t(button)],
                                               (item.itemState & ODS_SELECTED) != 0);
  buttonTarget_->BeginDraw();
  buttonTarget_->SetTransform(D2D1::Matrix3x2F::Identity());
  buttonTarget_->Clear(toD2D(kBackgroundColour));
  fillRoundedRect(buttonTarget_.Get(), box, kButtonRadius, look.fill);
  drawText(buttonTarget_.Get(), widen(mainControlInfo(button).text), buttonFormat_.Get(), box,
           look.text);
  if (buttonTarget_->EndDraw() == HRESULT(D2DERR_RECREATE_TARGET)) buttonTarget_ = nullptr;
  return true;
}

}  // namespace px
