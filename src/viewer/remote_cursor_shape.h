// The host's pointer shape checked and turned into what a colour cursor is made from: a
// top-down 32-bit B G R A bitmap with straight alpha and its hot spot. Hostile or damaged shapes
// are refused with the reason; the caller keeps its previous cursor then.
#pragma once

#include <cstdint>

#include "base/bytes.h"
#include "ui/geometry.h"

namespace px {

// No real pointer comes near this (the host refuses larger ones too); it bounds what a hostile
// host can make the viewer allocate and hand to the window system.
inline constexpr uint16_t kMaxRemoteCursorSide = 1024;

// Bit fields of the colour bitmap's header (version 5, bit-field compression).
inline constexpr uint32_t kCursorRedMask = 0x00FF0000;
inline constexpr uint32_t kCursorGreenMask = 0x0000FF00;
inline constexpr uint32_t kCursorBlueMask = 0x000000FF;
inline constexpr uint32_t kCursorAlphaMask = 0xFF000000;

enum class CursorShapeStatus {
  kOk,
  kTooShort,   // fewer than the 8 header bytes
  kEmptySize,  // width or height 0
  kTooLarge,   // a side above kMaxRemoteCursorSide
  kTruncated,  // fewer pixel bytes than width × height × 4
};

struct CursorBitmap {
  int width = 0;
  int height = 0;
  int hotX = 0;  // as sent; the window system takes any hot spot
  int hotY = 0;
  Bytes pixels;  // width × height × 4 bytes, B G R A, rows top to bottom
};

// Fills `out` only on kOk. Trailing bytes after the pixels are ignored.
CursorShapeStatus decodeCursorShape(ByteView payload, CursorBitmap& out);

// Whether a pointer at `point` (the target window's client coordinates) is inside a client area
// of `client`: the new cursor is set at once only then.
bool pointerInsideClient(PointPx point, SizePx client);

}  // namespace px
