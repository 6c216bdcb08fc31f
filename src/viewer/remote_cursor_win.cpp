#include "viewer/remote_cursor_win.h"

#include <cstring>

#include "ui/ui_handles_win.h"

namespace px {
namespace {

struct ScreenDc {
  HDC dc = GetDC(nullptr);
  ~ScreenDc() {
    if (dc) ReleaseDC(nullptr, dc);
  }
};

using ScopedBitmap = ScopedHandle<GdiObjectTraits<HBITMAP>>;

ScopedBitmap colourBitmap(const CursorBitmap& shape) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = shape.width;
  header.bV5Height = -shape.height;  // rows top-down, as sent
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = kCursorRedMask;
  header.bV5GreenMask = kCursorGreenMask;
  header.bV5BlueMask = kCursorBlueMask;
  header.bV5AlphaMask = kCursorAlphaMask;
  ScreenDc screen;
  void* bits = nullptr;
  ScopedBitmap bitmap(CreateDIBSection(screen.dc, reinterpret_cast<BITMAPINFO*>(&header),
                                       DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap.valid() || !bits) return {};
  std::memcpy(bits, shape.pixels.data(), shape.pixels.size());
  return bitmap;
}

}  // namespace

ScopedCursor makeRemoteCursor(const CursorBitmap& shape) {
  if (shape.width <= 0 || shape.height <= 0 ||
      shape.pixels.size() != size_t(shape.width) * size_t(shape.height) * 4) {
    return {};
  }
  ScopedBitmap colour = colourBitmap(shape);
  if (!colour.valid()) return {};
  ScopedBitmap mask(CreateBitmap(shape.width, shape.height, 1, 1, nullptr));
  if (!mask.valid()) return {};
  ICONINFO info{};
  info.fIcon = FALSE;
  info.xHotspot = DWORD(shape.hotX);
  info.yHotspot = DWORD(shape.hotY);
  info.hbmMask = mask.get();
  info.hbmColor = colour.get();
  return ScopedCursor(reinterpret_cast<HCURSOR>(CreateIconIndirect(&info)));
}

}  // namespace px
