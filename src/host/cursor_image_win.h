// The pointer image of a cursor handle (as GetCursorInfo gives it) in B G R A. Windows only; any
// thread.
#pragma once

#include <windows.h>

#include "host/screen_capturer.h"

namespace px {

// Monochrome cursors (AND and XOR mask, no colour bitmap) convert like a monochrome duplication
// shape; colour cursors with alpha keep it; colour cursors without alpha take it from the AND
// mask. False (out untouched) when the cursor's bitmaps cannot be read or are empty.
bool readCursorImage(HCURSOR cursor, CursorImage& out);

}  // namespace px
