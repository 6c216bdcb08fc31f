#include "host/pointer_shape.h"

#include <gtest/gtest.h>

namespace px {
namespace {

uint32_t pixelAt(const CursorImage& c, int x, int y) {
  return loadLe32(&c.pixels[(size_t(y) * c.width + x) * 4]);
}

TEST(PointerShape, MonochromeMasksGiveTheFourPixelKinds) {
  // One row, 4 pixels wide: AND = 0011, XOR = 0101 (most significant bit first).
  const Bytes raw = {0x30, 0x50};
  PointerShapeInfo info{PointerShapeType::kMonochrome, 4, 2, 1, 1, 0};
  CursorImage out;
  ASSERT_TRUE(convertPointerShape(info, raw, out));
  ASSERT_EQ(out.width, 4);
  ASSERT_EQ(out.height, 1);
  EXPECT_EQ(pixelAt(out, 0, 0), 0xFF000000u);  // AND 0 XOR 0: opaque black
  EXPECT_EQ(pixelAt(out, 1, 0), 0xFFFFFFFFu);  // AND 0 XOR 1: opaque white
  EXPECT_EQ(pixelAt(out, 2, 0), 0x00000000u);  // AND 1 XOR 0: transparent
  EXPECT_EQ(pixelAt(out, 3, 0), 0xFFFFFFFFu);  // AND 1 XOR 1: opaque white
  EXPECT_EQ(out.hotX, 1);
}

TEST(PointerShape, Monochrome32x64GivesA32x32Image) {
  Bytes raw(size_t(4) * 64, 0);
  for (int y = 0; y < 32; ++y) raw[size_t(y) * 4] = 0xFF;        // AND: left 8 columns see-through
  raw[size_t(32 + 31) * 4 + 3] = 0x01;                          // XOR: last pixel of the last row
  PointerShapeInfo info{PointerShapeType::kMonochrome, 32, 64, 4, 0, 0};
  CursorImage out;
  ASSERT_TRUE(convertPointerShape(info, raw, out));
  EXPECT_EQ(out.width, 32);
  EXPECT_EQ(out.height, 32);
  EXPECT_EQ(out.pixels.size(), size_t(32) * 32 * 4);
  EXPECT_EQ(pixelAt(out, 0, 0), 0u);
  EXPECT_EQ(pixelAt(out, 8, 0), 0xFF000000u);
  EXPECT_EQ(pixelAt(out, 31, 31), 0xFFFFFFFFu);
}

TEST(PointerShape, ColourKeepsAlphaAndSkipsPitchPadding) {
  const Bytes raw = {1, 2, 3, 0x80, 9, 9, 9, 9,  // row 0: one pixel, then padding
                     4, 5, 6, 0x00, 9, 9, 9, 9};
  PointerShapeInfo info{PointerShapeType::kColor, 1, 2, 8, 0, 1};
  CursorImage out;
  ASSERT_TRUE(convertPointerShape(info, raw, out));
  EXPECT_EQ(out.pixels, (Bytes{1, 2, 3, 0x80, 4, 5, 6, 0x00}));
}

TEST(PointerShape, MaskedColourAlphaIsInverted) {
  const Bytes raw = {1, 2, 3, 0x00, 4, 5, 6, 0xFF, 7, 8, 9, 0x01};
  PointerShapeInfo info{PointerShapeType::kMaskedColor, 3, 1, 12, 0, 0};
  CursorImage out;
  ASSERT_TRUE(convertPointerShape(info, raw, out));
  EXPECT_EQ(out.pixels, (Bytes{1, 2, 3, 0xFF, 4, 5, 6, 0x00, 7, 8, 9, 0x00}));
}

TEST(PointerShape, RefusesShapesItCannotReadSafely) {
  struct Case {
    const char* name;
    PointerShapeInfo info;
    size_t bytes;
  } cases[] = {
      {"zero width", {PointerShapeType::kColor, 0, 4, 0, 0, 0}, 64},
      {"zero height", {PointerShapeType::kColor, 4, 0, 16, 0, 0}, 64},
      {"one-row monochrome has no masks", {PointerShapeType::kMonochrome, 8, 1, 1, 0, 0}, 64},
      {"pitch below width", {PointerShapeType::kColor, 4, 4, 12, 0, 0}, 64},
      {"monochrome pitch below width", {PointerShapeType::kMonochrome, 16, 4, 1, 0, 0}, 64},
      {"buffer too short", {PointerShapeType::kColor, 4, 4, 16, 0, 0}, 63},
      {"unknown type", {PointerShapeType(3), 4, 4, 16, 0, 0}, 64},
      {"oversized", {PointerShapeType::kColor, 4096, 1, 16384, 0, 0}, 16384},
  };
  for (const auto& c : cases) {
    CursorImage out;
    out.width = 7;
    const Bytes raw(c.bytes, 0);
    EXPECT_FALSE(convertPointerShape(c.info, raw, out)) << c.name;
    EXPECT_EQ(out.width, 7) << c.name;
  }
}

}  // namespace
}  // namespace px
