// The look of native edit boxes in the dark theme, shared by every window that has one: the edit
// font and the field colours.
#pragma once

#include <windows.h>

#include "ui/ui_handles_win.h"

namespace px {

// "Segoe UI", normal weight, kEditFontHeight DIPs high at `dpi`, ClearType. Null on failure (the
// edit then keeps the system font).
ScopedFont createEditFont(int dpi);

// One solid brush of the field colour for the whole process (main thread), never freed before
// exit: window classes and edit colouring may hand it out at any time.
HBRUSH fieldBrush();

// The answer to WM_CTLCOLOREDIT: text colour on the field colour.
LRESULT colourEdit(HDC dc);

}  // namespace px
