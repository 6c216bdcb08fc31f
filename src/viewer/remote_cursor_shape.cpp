#include "viewer/remote_cursor_shape.h"

#include <utility>

#include "protocol/session_messages.h"

namespace px {

CursorShapeStatus decodeCursorShape(ByteView payload, CursorBitmap& out) {
  if (payload.size() < kCursorShapeHeaderSize) return CursorShapeStatus::kTooShort;
  // The size is checked before the message is parsed, so an oversized shape is never copied.
  const uint16_t width = loadLe16(&payload[0]), height = loadLe16(&payload[2]);
  if (width == 0 || height == 0) return CursorShapeStatus::kEmptySize;
  if (width > kMaxRemoteCursorSide || height > kMaxRemoteCursorSide)
    return CursorShapeStatus::kTooLarge;
  std::optional<CursorShape> shape = parseCursorShape(payload);
  if (!shape) return CursorShapeStatus::kTruncated;
  out.width = shape->width;
  out.height = shape->height;
  out.hotX = shape->hotX;
  out.hotY = shape->hotY;
  out.pixels = std::move(shape->pixels);
  return CursorShapeStatus::kOk;
}

bool pointerInsideClient(PointPx point, SizePx client) {
  return point.x >= 0 && point.y >= 0 && point.x < client.width && point.y < client.height;
}

}  // namespace px
