// decodeCursorShape on hostile pointer shapes: whatever it accepts is a bitmap whose pixel count
// matches its bounded size.
#include <cstddef>
#include <cstdint>

#include "viewer/remote_cursor_shape.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  px::CursorBitmap bitmap;
  if (px::decodeCursorShape(px::ByteView(data, size), bitmap) != px::CursorShapeStatus::kOk)
    return 0;
  const bool sized = bitmap.width >= 1 && bitmap.height >= 1 &&
                     bitmap.width <= px::kMaxRemoteCursorSide &&
                     bitmap.height <= px::kMaxRemoteCursorSide;
  if (!sized || bitmap.pixels.size() != size_t(bitmap.width) * size_t(bitmap.height) * 4)
    __builtin_trap();
  return 0;
}
