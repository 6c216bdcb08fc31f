#include "ui/chat_edit_win.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "ui/chat_send_message.h"
#include "ui/d2d_support_win.h"
#include "ui/dip.h"
#include "ui/host_chat_layout.h"

namespace px {
namespace {

constexpr UINT_PTR kEnterSubclass = 1;
constexpr float kTextMargin = 6;  // DIPs between the edit's sides and its text

LRESULT CALLBACK chatEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR) {
  switch (msg) {
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        SendMessageW(GetParent(edit), WM_APP_CHAT_SEND, 0, 0);
        return 0;
      }
      break;
    case WM_CHAR:
      // The character Enter makes (CR, or LF with Ctrl): a single-line edit would only beep.
      if (wParam == L'\r' || wParam == L'\n') return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit, chatEditProc, id);
      break;
  }
  return DefSubclassProc(edit, msg, wParam, lParam);
}

}  // namespace

void styleChatEdit(HWND edit, HFONT font, int dpi) {
  if (font) SendMessageW(edit, WM_SETFONT, WPARAM(font), TRUE);
  const int margin = dipsToPixels(kTextMargin, usableDpi(dpi));
  SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}

HWND createChatEdit(HWND parent, const RectPx& rect, HFONT font, int dpi) {
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                              rect.left, rect.top, rect.width(), rect.height(), parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!edit) return nullptr;
  SetWindowTheme(edit, L"", L"");
  styleChatEdit(edit, font, dpi);
  SendMessageW(edit, EM_SETLIMITTEXT, kHostChatEditLimit, 0);
  const std::wstring cue = widen(kHostChatCue);
  SendMessageW(edit, EM_SETCUEBANNER, FALSE, LPARAM(cue.c_str()));
  SetWindowSubclass(edit, chatEditProc, kEnterSubclass, 0);
  return edit;
}

std::u16string chatEditText(HWND edit) {
  const int length = GetWindowTextLengthW(edit);
  if (length <= 0) return {};
  std::wstring text(size_t(length) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(edit, text.data(), length + 1)));
  return std::u16string(text.begin(), text.end());
}

}  // namespace px
