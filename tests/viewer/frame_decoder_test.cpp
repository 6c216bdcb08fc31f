#include "viewer/frame_decoder.h"

#include <gtest/gtest.h>

#include <functional>

#include "codec/jpeg_codec.h"
#include "codec/xpress.h"
#include "support/frame_payload.h"

namespace px {
namespace {

using test::FrameBuilder;

constexpr uint32_t kBlack = 0;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;

struct Image {
  int width, height;
  Bytes pixels;
  Image(int w, int h) : width(w), height(h), pixels(size_t(w) * h * 4, 0) {}
  uint32_t at(int x, int y) const { return loadLe32(&pixels[(size_t(y) * width + x) * 4]); }
};

Bytes packed(ByteView raw) {
  XpressCompressor compressor;
  Bytes out;
  EXPECT_TRUE(compressor.compress(raw, out));
  Bytes blob(4);
  storeLe32(blob.data(), uint32_t(raw.size()));
  appendBytes(blob, out);
  return blob;
}

Bytes solidPixels(int w, int h, uint32_t v) {
  Bytes b(size_t(w) * h * 4);
  for (size_t i = 0; i < b.size(); i += 4) storeLe32(&b[i], v);
  return b;
}

TEST(FrameDecoderTest, MalformedTiledFrames) {
  // Each case: a frame for a 128 x 64 image; whether it succeeds; the pixel (0, 0) afterwards
  // (tile 1 paints it red when applied); the pixel (64, 0) (tile 2 paints it blue).
  struct Case {
    const char* name;
    std::function<Bytes()> frame;
    bool ok;
    uint32_t first, second;
  };
  auto base = [] { return FrameBuilder(128, 64, 128, 64); };
  const Case cases[] = {
      {"two solid tiles",
       [&] { return base().solid(0, 0, 64, 64, kRed).solid(64, 0, 64, 64, kBlue).bytes(); }, true,
       kRed, kBlue},
      {"count 0 draws nothing", [&] { return base().bytes(); }, true, kBlack, kBlack},
      {"other screen width",
       [] { return FrameBuilder(128, 64, 129, 64).solid(0, 0, 64, 64, kRed).bytes(); }, false,
       kBlack, kBlack},
      {"other screen height",
       [] { return FrameBuilder(128, 64, 128, 65).solid(0, 0, 64, 64, kRed).bytes(); }, false,
       kBlack, kBlack},
      {"bad magic",
       [&] {
         auto b = base().solid(0, 0, 64, 64, kRed).bytes();
         b[3] = '4';
         return b;
       },
       false, kBlack, kBlack},
      {"zero grid", [] { return FrameBuilder(0, 64, 128, 64).solid(0, 0, 64, 64, kRed).bytes(); },
       false, kBlack, kBlack},
      {"encoding 3 after a good tile",
       [&] { return base().solid(0, 0, 64, 64, kRed).tile(64, 0, 64, 64, 3, Bytes(4)).bytes(); },
       false, kRed, kBlack},
      {"solid of 5 bytes", [&] { return base().tile(0, 0, 64, 64, 0, Bytes(5)).bytes(); }, false,
       kBlack, kBlack},
      {"tile past the grid", [&] { return base().solid(65, 0, 64, 64, kRed).bytes(); }, false,
       kBlack, kBlack},
      {"zero width tile", [&] { return base().solid(0, 0, 0, 64, kRed).bytes(); }, false, kBlack,
       kBlack},
      {"count larger than the tiles",
       [&] { return base().solid(0, 0, 64, 64, kRed).setCount(2).bytes(); }, false, kRed, kBlack},
      {"data length past the end",
       [&] {
         auto b = base().solid(0, 0, 64, 64, kRed).bytes();
         b.pop_back();
         return b;
       },
       false, kBlack, kBlack},
      {"header cut short",
       [&] {
         auto b = base().bytes();
         b.resize(31);
         return b;
       },
       false, kBlack, kBlack},
      {"bytes after the last tile are ignored",
       [&] {
         auto b = base().solid(0, 0, 64, 64, kRed).bytes();
         b.push_back(9);
         return b;
       },
       true, kRed, kBlack},
      {"compressed tile one pixel short",
       [&] { return base().tile(0, 0, 64, 64, 1, packed(solidPixels(64, 63, kRed))).bytes(); },
       false, kBlack, kBlack},
      {"compressed tile one row too many",
       [&] { return base().tile(0, 0, 64, 64, 1, packed(solidPixels(64, 65, kRed))).bytes(); },
       false, kBlack, kBlack},
      {"compressed tile",
       [&] { return base().tile(0, 0, 64, 64, 1, packed(solidPixels(64, 64, kRed))).bytes(); },
       true, kRed, kBlack},
      {"overlapping tiles beyond the grid's area",
       [&] {
         FrameBuilder f = base();
         for (int i = 0; i < 3; ++i) f.solid(0, 0, 128, 64, kRed);
         return f.bytes();
       },
       false, kRed, kRed},
  };
  FrameDecoder decoder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Image image(128, 64);
    const Bytes frame = c.frame();
    EXPECT_EQ(decoder.decodeTiledFrame(frame, image.pixels.data(), 128, 64), c.ok);
    EXPECT_EQ(image.at(0, 0), c.first);
    EXPECT_EQ(image.at(64, 0), c.second);
  }
}

TEST(FrameDecoderTest, JpegTileMustHaveTheTileSize) {
  JpegEncoder encoder;
  const Bytes pixels = solidPixels(64, 32, 0xFF3366CC);
  Bytes jpeg;
  ASSERT_TRUE(encoder.encode(pixels.data(), 64, 32, 64 * 4, 0.9f, jpeg));
  FrameDecoder decoder;
  Image image(128, 64);
  EXPECT_FALSE(
      decoder.decodeTiledFrame(FrameBuilder(128, 64, 128, 64).tile(0, 0, 64, 64, 2, jpeg).bytes(),
                               image.pixels.data(), 128, 64));
  EXPECT_TRUE(
      decoder.decodeTiledFrame(FrameBuilder(128, 64, 128, 64).tile(0, 0, 64, 32, 2, jpeg).bytes(),
                               image.pixels.data(), 128, 64));
  const uint32_t p = image.at(10, 10);
  EXPECT_NEAR(int(p & 0xFF), 0xCC, 4);
  EXPECT_NEAR(int((p >> 8) & 0xFF), 0x66, 4);
  EXPECT_NEAR(int((p >> 16) & 0xFF), 0x33, 4);
  EXPECT_EQ(p >> 24, 0xFFu);
}

TEST(FrameDecoderTest, BlitScaling) {
  struct Case {
    const char* name;
    int gridW, gridH, x, y, w, h;
    int left, top, right, bottom;  // image pixels expected to change (image 100 x 60)
  } cases[] = {
      {"same grid", 100, 60, 10, 5, 20, 10, 10, 5, 30, 15},
      {"half-size grid doubles", 50, 30, 10, 5, 20, 10, 20, 10, 60, 30},
      {"width 1 in a huge grid covers one pixel", 60000, 60000, 30000, 0, 1, 1, 50, 0, 51, 1},
      {"clipped at the image edge", 100, 60, 90, 50, 20, 20, 90, 50, 100, 60},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Image image(100, 60);
    const Bytes tile = solidPixels(c.w, c.h, kRed);
    blitTile(image.pixels.data(), 100, 60, tile.data(), c.w, c.h, c.x, c.y, c.gridW, c.gridH);
    int64_t changed = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 100; ++x) {
        const bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
        changed += image.at(x, y) == kRed;
        if (inside != (image.at(x, y) == kRed)) {
          ADD_FAILURE() << "pixel " << x << "," << y;
          y = 60;
          break;
        }
      }
    EXPECT_EQ(changed, blitArea(100, 60, c.w, c.h, c.x, c.y, c.gridW, c.gridH));
  }
}

TEST(FrameDecoderTest, ScaledBlitPicksNearestTilePixels) {
  Image image(4, 2);
  Bytes tile(2 * 1 * 4);
  storeLe32(&tile[0], kRed);
  storeLe32(&tile[4], kBlue);
  blitTile(image.pixels.data(), 4, 2, tile.data(), 2, 1, 0, 0, 2, 1);
  const uint32_t expected[] = {kRed, kRed, kBlue, kBlue};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(image.at(x, y), expected[x]) << x << "," << y;
}

TEST(FrameDecoderTest, TinyGridStretchedOverTheImageIsBounded) {
  // Each 1 x 1 tile of a 1 x 1 grid covers the whole image; honest frames never repeat a tile.
  FrameBuilder frame(1, 1, 100, 60);
  for (int i = 0; i < 10; ++i) frame.solid(0, 0, 1, 1, kRed);
  FrameDecoder decoder;
  Image image(100, 60);
  EXPECT_FALSE(decoder.decodeTiledFrame(frame.bytes(), image.pixels.data(), 100, 60));
}

TEST(FrameDecoderTest, BlobLimits) {
  FrameDecoder decoder;
  Bytes out;
  struct Case {
    const char* name;
    Bytes blob;
    bool ok;
  } cases[] = {
      {"shorter than the length", {1, 0, 0}, false},
      {"length 0", {0, 0, 0, 0, 1, 2, 3}, false},
      {"length above 256 MiB", {1, 0, 0, 0x10, 1, 2, 3}, false},
      {"good", packed(Bytes(1000, 7)), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(decoder.unpackBlob(c.blob, out), c.ok);
  }
  EXPECT_EQ(out, Bytes(1000, 7));
  EXPECT_FALSE(decoder.unpackBlob(packed(Bytes(1000, 7)), out, 999)) << "caller's limit";
}

// Legacy rectangle frames: count, 8 ignored bytes, then rectangles of runs and literals.
Bytes legacyFrame(int x, int y, int w, int h, ByteView items, uint16_t count = 1) {
  Bytes f(10, 0);
  storeLe16(f.data(), count);
  uint8_t header[12];
  storeLe16(header, uint16_t(x));
  storeLe16(header + 2, uint16_t(y));
  storeLe16(header + 4, uint16_t(w));
  storeLe16(header + 6, uint16_t(h));
  storeLe32(header + 8, uint32_t(items.size()));
  f.insert(f.end(), header, header + 12);
  appendBytes(f, items);
  return f;
}

Bytes run(uint16_t n, uint32_t v) {
  Bytes b(6);
  storeLe16(b.data(), n);
  storeLe32(b.data() + 2, v);
  return b;
}

Bytes literal(std::initializer_list<uint32_t> values) {
  Bytes b(4, 0);
  storeLe16(b.data() + 2, uint16_t(values.size()));
  for (uint32_t v : values) appendLe32(b, v);
  return b;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) appendBytes(out, p);
  return out;
}

TEST(FrameDecoderTest, LegacyRectangleFrames) {
  struct Case {
    const char* name;
    Bytes frame;
    bool ok;
    uint32_t at21;  // pixel (2, 1) after decoding
  } cases[] = {
      {"runs and literals fill the rectangle",
       legacyFrame(1, 1, 2, 2, concat({run(1, kBlue), literal({kRed, kBlue}), run(1, kRed)})), true,
       kRed},
      {"too few pixels", legacyFrame(1, 1, 2, 2, run(3, kRed)), false, kBlack},
      {"run past the rectangle", legacyFrame(1, 1, 2, 2, run(5, kRed)), false, kBlack},
      {"literal past the data", legacyFrame(1, 1, 2, 2, Bytes{0, 0, 4, 0, 1, 2}), false, kBlack},
      {"rectangle outside the image", legacyFrame(3, 0, 2, 2, run(4, kRed)), false, kBlack},
      {"count 0", legacyFrame(0, 0, 1, 1, run(1, kRed), 0), true, kBlack},
      // Found by the fuzzer: a zero-width rectangle with rows used to index an empty buffer.
      {"zero-width rectangle draws nothing", legacyFrame(1, 1, 0, 2, Bytes{}), true, kBlack},
      {"shorter than 10 bytes", Bytes(9, 0), false, kBlack},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Image image(4, 3);
    EXPECT_EQ(decodeRectFrame(c.frame, image.pixels.data(), 4, 3), c.ok);
    EXPECT_EQ(image.at(2, 1), c.at21);
  }
}

}  // namespace
}  // namespace px
