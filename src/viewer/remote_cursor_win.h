// The host's pointer shape as a Windows colour cursor with alpha.
#pragma once

#include <windows.h>

#include "base/scoped_handle.h"
#include "viewer/remote_cursor_shape.h"

namespace px {

struct CursorTraits {
  using Handle = HCURSOR;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { DestroyCursor(h); }
};
using ScopedCursor = ScopedHandle<CursorTraits>;

// Invalid when the system could not make the bitmaps or the cursor.
ScopedCursor makeRemoteCursor(const CursorBitmap& shape);

}  // namespace px
