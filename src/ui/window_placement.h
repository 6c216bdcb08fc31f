// Where a new window goes, and where the main window goes when it changes layout, in screen
// pixels.
#pragma once

#include "ui/geometry.h"

namespace px {

// `size` centred in `area` (integer halves round toward zero, so centring one size on another
// and back returns the first rectangle).
RectPx centredIn(SizePx size, const RectPx& area);

// `rect` moved into `workArea`: right and bottom not beyond it where the size fits, then left
// and top not before it (a window larger than the work area starts at its left or top).
RectPx clampedInto(const RectPx& rect, const RectPx& workArea);

// The main window's rectangle on entering the home screen (920 × 700 DIPs) or leaving it
// (560 × 300 DIPs) at `dpi`: centred on the current window's centre, then clamped into the work
// area.
RectPx layoutSwitchRect(bool toHome, const RectPx& window, const RectPx& workArea, int dpi);

}  // namespace px
