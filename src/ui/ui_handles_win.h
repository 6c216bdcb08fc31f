// Owners for the window-system objects the ui windows make: top-level windows and GDI objects
// (fonts, brushes). Windows only.
#pragma once

#include <windows.h>

#include "base/scoped_handle.h"

namespace px {

// A window this code created and must destroy (child windows go with their parent instead).
struct WindowTraits {
  using Handle = HWND;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { DestroyWindow(h); }
};
using ScopedWindow = ScopedHandle<WindowTraits>;

// A GDI object; it must not be selected into a live DC when freed.
template <typename H>
struct GdiObjectTraits {
  using Handle = H;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { DeleteObject(h); }
};
using ScopedFont = ScopedHandle<GdiObjectTraits<HFONT>>;
using ScopedBrush = ScopedHandle<GdiObjectTraits<HBRUSH>>;

}  // namespace px
