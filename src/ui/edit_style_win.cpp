#include "ui/edit_style_win.h"

#include <cwchar>
#include <string>

#include "ui/d2d_support_win.h"
#include "ui/dip.h"
#include "ui/theme.h"

namespace px {
namespace {

COLORREF colorRef(Rgb c) { return RGB(c.r, c.g, c.b); }

}  // namespace

ScopedFont createEditFont(int dpi) {
  LOGFONTW font{};
  font.lfHeight = -dipsToPixels(kEditFontHeight, usableDpi(dpi));  // negative: character height
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  const std::wstring family = widen(kFontFamily);
  wcsncpy(font.lfFaceName, family.c_str(), LF_FACESIZE - 1);
  return ScopedFont(CreateFontIndirectW(&font));
}

HBRUSH fieldBrush() {
  static const ScopedBrush brush(CreateSolidBrush(colorRef(kFieldColour)));
  return brush.get();
}

LRESULT colourEdit(HDC dc) {
  SetTextColor(dc, colorRef(kTextColour));
  SetBkColor(dc, colorRef(kFieldColour));
  return LRESULT(fieldBrush());
}

}  // namespace px
