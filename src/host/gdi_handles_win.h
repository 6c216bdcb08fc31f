// RAII owners for the GDI handle kinds the GDI capturer uses. Windows only.
#pragma once

#include <windows.h>

#include "base/scoped_handle.h"

namespace px {

// A DC of the whole screen from GetDC(nullptr).
struct ScreenDcTraits {
  using Handle = HDC;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ReleaseDC(nullptr, h); }
};
// A DC from CreateCompatibleDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { DeleteDC(h); }
};
// A bitmap must not be selected into a live DC when it is freed: free the DC first.
struct BitmapTraits {
  using Handle = HBITMAP;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { DeleteObject(h); }
};

using ScreenDc = ScopedHandle<ScreenDcTraits>;
using MemoryDc = ScopedHandle<MemoryDcTraits>;
using ScopedBitmap = ScopedHandle<BitmapTraits>;

}  // namespace px
