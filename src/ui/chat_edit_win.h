// The one-line edit box in which a chat line is typed.
#pragma once

#include <windows.h>

#include <string>

#include "ui/geometry.h"

namespace px {

// A child edit of `parent` at `rect` (client pixels): one line that scrolls sideways, at most
// kHostChatEditLimit characters, the cue "Escreva uma mensagem", no visual theme, styled for
// `dpi`. Enter sends WM_APP_CHAT_SEND to the parent instead of beeping. Null on failure. The
// parent destroys it with itself.
HWND createChatEdit(HWND parent, const RectPx& rect, HFONT font, int dpi);

// Font and text margins for `dpi` (after a DPI change; the caller keeps `font` alive).
void styleChatEdit(HWND edit, HFONT font, int dpi);

// The edit's text as UTF-16.
std::u16string chatEditText(HWND edit);

}  // namespace px
