#include "host/cursor_image_win.h"

#include <algorithm>
#include <vector>

#include "base/bytes.h"
#include "host/gdi_handles_win.h"
#include "host/pointer_shape.h"

namespace px {
namespace {

// Room for the two palette entries of a 1-bit DIB.
struct MonoBitmapInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[2];
};

bool bitmapSize(HBITMAP bitmap, LONG& width, LONG& height) {
  BITMAP bm{};
  if (GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm) return false;
  width = bm.bmWidth;
  height = bm.bmHeight;
  return width > 0 && height > 0 && uint32_t(width) <= kMaxPointerSide &&
         uint32_t(height) <= 2 * kMaxPointerSide;
}

// Rows top to bottom, each padded to 4 bytes, most significant bit first.
bool readMask(HDC dc, HBITMAP mask, LONG width, LONG height, Bytes& out, uint32_t& pitch) {
  MonoBitmapInfo info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = width;
  info.header.biHeight = -height;
  info.header.biPlanes = 1;
  info.header.biBitCount = 1;
  info.header.biCompression = BI_RGB;
  pitch = uint32_t((width + 31) / 32 * 4);
  out.assign(size_t(pitch) * size_t(height), 0);
  return GetDIBits(dc, mask, 0, UINT(height), out.data(),
                   reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
}

bool readColour(HDC dc, HBITMAP colour, LONG width, LONG height, Bytes& out) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  out.assign(size_t(width) * size_t(height) * 4, 0);
  return GetDIBits(dc, colour, 0, UINT(height), out.data(), &info, DIB_RGB_COLORS) == height;
}

}  // namespace

bool readCursorImage(HCURSOR cursor, CursorImage& out) {
  ICONINFO icon{};
  if (!cursor || !GetIconInfo(cursor, &icon)) return false;
  const ScopedBitmap mask(icon.hbmMask);
  const ScopedBitmap colour(icon.hbmColor);
  const ScreenDc dc(GetDC(nullptr));
  LONG width = 0, height = 0;
  if (!dc || !mask || !bitmapSize(mask.get(), width, height)) return false;
  const int32_t hotX = int32_t(icon.xHotspot), hotY = int32_t(icon.yHotspot);
  Bytes maskBits;
  uint32_t maskPitch = 0;

  if (!colour) {  // the mask bitmap holds the AND rows, then the XOR rows
    if (!readMask(dc.get(), mask.get(), width, height, maskBits, maskPitch)) return false;
    const PointerShapeInfo shape{PointerShapeType::kMonochrome, uint32_t(width), uint32_t(height),
                                 maskPitch, hotX, hotY};
    return convertPointerShape(shape, maskBits, out);
  }

  LONG colourWidth = 0, colourHeight = 0;
  Bytes pixels;
  if (!bitmapSize(colour.get(), colourWidth, colourHeight) ||
      !readColour(dc.get(), colour.get(), colourWidth, colourHeight, pixels)) {
    return false;
  }
  const PointerShapeInfo shape{PointerShapeType::kColor, uint32_t(colourWidth),
                               uint32_t(colourHeight), uint32_t(colourWidth) * 4, hotX, hotY};
  bool hasAlpha = false;
  for (size_t i = 3; i < pixels.size() && !hasAlpha; i += 4) hasAlpha = pixels[i] != 0;
  if (hasAlpha) return convertPointerShape(shape, pixels, out);

  // No alpha: the AND mask says what is transparent. A masked-colour shape is opaque where the
  // alpha byte is 0, so the mask bit goes there as 0 or 0xFF.
  if (height < colourHeight ||
      !readMask(dc.get(), mask.get(), width, height, maskBits, maskPitch)) {
    return false;
  }
  const LONG maskWidth = std::min(width, colourWidth);
  for (LONG y = 0; y < colourHeight; ++y) {
    for (LONG x = 0; x < colourWidth; ++x) {
      const bool transparent =
          x < maskWidth && ((maskBits[size_t(y) * maskPitch + size_t(x / 8)] >> (7 - x % 8)) & 1);
      pixels[(size_t(y) * size_t(colourWidth) + size_t(x)) * 4 + 3] = transparent ? 0xFF : 0;
    }
  }
  PointerShapeInfo masked = shape;
  masked.type = PointerShapeType::kMaskedColor;
  return convertPointerShape(masked, pixels, out);
}

}  // namespace px
