// Where the ui's small windows open: the work area (screen less the taskbar) of a monitor.
#pragma once

#include <windows.h>

#include "ui/geometry.h"

namespace px {

// The work area of the monitor nearest `window`, the primary monitor's when `window` is null,
// the screen's size when the monitor cannot be asked. Screen pixels.
RectPx workAreaNear(HWND window);

}  // namespace px
