#include "ui/clipboard_win.h"

#include <cstring>
#include <string>

#include "ui/d2d_support_win.h"

namespace px {
namespace {

// One movable global block holding the text and its terminating zero; null on failure.
HGLOBAL globalText(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) return nullptr;
  void* data = GlobalLock(block);
  if (!data) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(data, text.c_str(), bytes);
  GlobalUnlock(block);
  return block;
}

}  // namespace

bool copyTextToClipboard(HWND owner, std::string_view utf8) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  HGLOBAL block = globalText(widen(utf8));
  // Once placed, the block belongs to the clipboard.
  const bool placed = block && SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  if (block && !placed) GlobalFree(block);
  CloseClipboard();
  return placed;
}

}  // namespace px
