// Where the ui's small windows open: the work area (screen less the taskbar) of a monitor.
#pragma once

#include <windows.h>

#include "ui/geometry.h"

namespace px {

// The work area of the monitor nearest `window`, the primary monitor's when `window` is null,
// the screen's size when the monitor cannot be asked. Screen pixels.
RectPx workAreaNear(HWND window);

inline RectPx toRectPx(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace px
