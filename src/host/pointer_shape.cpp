#include "host/pointer_shape.h"

#include <cstring>

namespace px {
namespace {

void putPixel(uint8_t* p, uint8_t grey, uint8_t alpha) {
  p[0] = p[1] = p[2] = grey;
  p[3] = alpha;
}

void convertMonochrome(const PointerShapeInfo& info, const uint8_t* raw, uint32_t rows,
                       uint8_t* out) {
  for (uint32_t y = 0; y < rows; ++y) {
    const uint8_t* andRow = raw + size_t(y) * info.pitch;
    const uint8_t* xorRow = raw + size_t(y + rows) * info.pitch;
    for (uint32_t x = 0; x < info.width; ++x) {
      const uint8_t bit = uint8_t(0x80 >> (x % 8));
      const bool andBit = andRow[x / 8] & bit;
      const bool xorBit = xorRow[x / 8] & bit;
      uint8_t* p = out + (size_t(y) * info.width + x) * 4;
      if (xorBit) {
        putPixel(p, 255, 255);
      } else if (andBit) {
        putPixel(p, 0, 0);
      } else {
        putPixel(p, 0, 255);
      }
    }
  }
}

void convertColour(const PointerShapeInfo& info, const uint8_t* raw, bool masked, uint8_t* out) {
  const size_t rowBytes = size_t(info.width) * 4;
  for (uint32_t y = 0; y < info.height; ++y) {
    uint8_t* row = out + size_t(y) * rowBytes;
    std::memcpy(row, raw + size_t(y) * info.pitch, rowBytes);
    if (!masked) continue;
    for (size_t i = 3; i < rowBytes; i += 4) row[i] = row[i] == 0 ? 255 : 0;
  }
}

}  // namespace

bool convertPointerShape(const PointerShapeInfo& info, ByteView raw, CursorImage& out) {
  if (info.width == 0 || info.width > kMaxPointerSide || info.height > 2 * kMaxPointerSide) {
    return false;
  }
  const bool mono = info.type == PointerShapeType::kMonochrome;
  if (!mono && info.type != PointerShapeType::kColor &&
      info.type != PointerShapeType::kMaskedColor) {
    return false;
  }
  const uint32_t rows = mono ? info.height / 2 : info.height;
  const uint64_t minPitch = mono ? (uint64_t(info.width) + 7) / 8 : uint64_t(info.width) * 4;
  if (rows == 0 || rows > kMaxPointerSide || info.pitch < minPitch ||
      raw.size() < uint64_t(info.pitch) * info.height) {
    return false;
  }
  Bytes pixels(size_t(info.width) * rows * 4);
  if (mono) {
    convertMonochrome(info, raw.data(), rows, pixels.data());
  } else {
    convertColour(info, raw.data(), info.type == PointerShapeType::kMaskedColor, pixels.data());
  }
  out.width = int32_t(info.width);
  out.height = int32_t(rows);
  out.hotX = info.hotX;
  out.hotY = info.hotY;
  out.pixels = std::move(pixels);
  return true;
}

}  // namespace px
