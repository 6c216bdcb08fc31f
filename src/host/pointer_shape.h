// Converts a raw pointer shape, as desktop duplication delivers it, into a B G R A cursor image.
// Pure; any thread.
#pragma once

#include <cstdint>

#include "base/bytes.h"
#include "host/screen_capturer.h"

namespace px {

// The values match DXGI_OUTDUPL_POINTER_SHAPE_TYPE.
enum class PointerShapeType : uint32_t { kMonochrome = 1, kColor = 2, kMaskedColor = 4 };

struct PointerShapeInfo {
  PointerShapeType type = PointerShapeType::kColor;
  uint32_t width = 0;   // pixels
  uint32_t height = 0;  // rows in the buffer; a monochrome shape holds two masks of height / 2
  uint32_t pitch = 0;   // bytes from one row to the next
  int32_t hotX = 0;
  int32_t hotY = 0;
};

// Larger shapes are refused rather than converted (the platform caps pointers far below this).
inline constexpr uint32_t kMaxPointerSide = 1024;

// Monochrome: AND 0 XOR 0 opaque black, AND 0 XOR 1 opaque white, AND 1 XOR 0 transparent,
// AND 1 XOR 1 opaque white (no inversion on the far side). Colour: copied, alpha as given.
// Masked colour: colour copied, opaque where the source alpha byte is 0, transparent elsewhere.
// True, with `out` replaced, when the result is at least 1 x 1. False (out untouched) for an
// empty or oversized shape, an unknown type, a pitch too small for the width, or a buffer
// shorter than pitch * height.
bool convertPointerShape(const PointerShapeInfo& info, ByteView raw, CursorImage& out);

}  // namespace px
