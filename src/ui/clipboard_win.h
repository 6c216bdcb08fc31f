// Plain text onto the clipboard.
#pragma once

#include <windows.h>

#include <string_view>

namespace px {

// Replaces the clipboard's content with `utf8` as Unicode text, `owner` owning it. False when
// the clipboard could not be opened or the text not placed.
bool copyTextToClipboard(HWND owner, std::string_view utf8);

}  // namespace px
