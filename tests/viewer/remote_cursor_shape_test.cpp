#include "viewer/remote_cursor_shape.h"

#include <gtest/gtest.h>

namespace px {
namespace {

const char* name(CursorShapeStatus s) {
  switch (s) {
    case CursorShapeStatus::kOk: return "ok";
    case CursorShapeStatus::kTooShort: return "too short";
    case CursorShapeStatus::kEmptySize: return "empty size";
    case CursorShapeStatus::kTooLarge: return "too large";
    case CursorShapeStatus::kTruncated: return "truncated";
  }
  return "?";
}

// A header for w × h with `pixelBytes` bytes after it, each byte its own index.
Bytes shape(uint16_t w, uint16_t h, size_t pixelBytes, uint16_t hotX = 0, uint16_t hotY = 0) {
  Bytes out(8 + pixelBytes);
  storeLe16(&out[0], w);
  storeLe16(&out[2], h);
  storeLe16(&out[4], hotX);
  storeLe16(&out[6], hotY);
  for (size_t i = 0; i < pixelBytes; ++i) out[8 + i] = uint8_t(i);
  return out;
}

TEST(ViewerRemoteCursorTest, RefusesDamagedAndHostileShapes) {
  struct Case {
    const char* what;
    Bytes payload;
    CursorShapeStatus status;
  };
  const Case cases[] = {
      {"empty", {}, CursorShapeStatus::kTooShort},
      {"seven bytes", Bytes(7, 1), CursorShapeStatus::kTooShort},
      {"0 × 0", shape(0, 0, 0), CursorShapeStatus::kEmptySize},
      {"width 0", shape(0, 32, 4096), CursorShapeStatus::kEmptySize},
      {"height 0", shape(32, 0, 4096), CursorShapeStatus::kEmptySize},
      {"4096 × 4096, header only", shape(4096, 4096, 0), CursorShapeStatus::kTooLarge},
      {"65535 × 65535", shape(65535, 65535, 16), CursorShapeStatus::kTooLarge},
      {"1025 wide", shape(1025, 1, 1025 * 4), CursorShapeStatus::kTooLarge},
      {"1025 high", shape(1, 1025, 1025 * 4), CursorShapeStatus::kTooLarge},
      {"32 × 32 one byte short (4,103)", shape(32, 32, 4095), CursorShapeStatus::kTruncated},
      {"32 × 32 header only", shape(32, 32, 0), CursorShapeStatus::kTruncated},
      {"32 × 32 exact (4,104)", shape(32, 32, 4096), CursorShapeStatus::kOk},
      {"32 × 32 with trailing bytes", shape(32, 32, 4100), CursorShapeStatus::kOk},
      {"1 × 1", shape(1, 1, 4), CursorShapeStatus::kOk},
      {"1024 × 1024", shape(1024, 1024, 1024 * 1024 * 4), CursorShapeStatus::kOk},
  };
  for (const Case& c : cases) {
    CursorBitmap bitmap;
    bitmap.width = -7;  // untouched unless accepted
    const CursorShapeStatus got = decodeCursorShape(c.payload, bitmap);
    EXPECT_STREQ(name(got), name(c.status)) << c.what;
    if (got != CursorShapeStatus::kOk) {
      EXPECT_EQ(bitmap.width, -7) << c.what;
      continue;
    }
    EXPECT_EQ(bitmap.pixels.size(), size_t(bitmap.width) * size_t(bitmap.height) * 4) << c.what;
  }
}

TEST(ViewerRemoteCursorTest, KeepsPixelsRowsAndHotSpot) {
  CursorBitmap bitmap;
  const Bytes payload = shape(3, 2, 3 * 2 * 4 + 5, 2, 1);
  ASSERT_EQ(decodeCursorShape(payload, bitmap), CursorShapeStatus::kOk);
  EXPECT_EQ(bitmap.width, 3);
  EXPECT_EQ(bitmap.height, 2);
  EXPECT_EQ(bitmap.hotX, 2);
  EXPECT_EQ(bitmap.hotY, 1);
  EXPECT_EQ(bitmap.pixels, Bytes(payload.begin() + 8, payload.begin() + 8 + 24))
      << "B G R A, top row first, trailing bytes dropped";
}

TEST(ViewerRemoteCursorTest, PointerInsideTheClientArea) {
  struct Case {
    PointPx p;
    bool inside;
  };
  const Case cases[] = {{{0, 0}, true},    {{799, 599}, true}, {{800, 10}, false},
                        {{10, 600}, false}, {{-1, 10}, false}, {{10, -1}, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(pointerInsideClient(c.p, {800, 600}), c.inside) << c.p.x << "," << c.p.y;
  }
  EXPECT_FALSE(pointerInsideClient({0, 0}, {0, 0}));
}

}  // namespace
}  // namespace px
