// Tiles drawn by two threads must give the picture one thread gives, and frames whose tiles could
// touch the same pixels must still be drawn in payload order.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "codec/xpress.h"
#include "support/frame_payload.h"
#include "viewer/frame_decoder.h"

namespace px {
namespace {

using test::FrameBuilder;

// w x h pixels whose colours depend on `seed` and the position.
Bytes patternPixels(int w, int h, uint32_t seed) {
  Bytes raw(size_t(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      storeLe32(&raw[(size_t(y) * w + x) * 4], seed * 2654435761u ^ uint32_t(x / 3 + y * 7));
  return raw;
}

// Those pixels as a compressed tile's data.
Bytes patternTile(int w, int h, uint32_t seed) {
  const Bytes raw = patternPixels(w, h, seed);
  XpressCompressor compressor;
  Bytes packed;
  EXPECT_TRUE(compressor.compress(raw, packed));
  Bytes blob(4 + packed.size());
  storeLe32(blob.data(), uint32_t(raw.size()));
  std::copy(packed.begin(), packed.end(), blob.begin() + 4);
  return blob;
}

// Rows [0, rows) of the grid's 64 x 64 cells, each as its own compressed tile (edge tiles
// smaller); all rows by default.
FrameBuilder gridOfTiles(int gridW, int gridH, int imageW, int imageH, int rows = 1 << 30) {
  FrameBuilder f(gridW, gridH, imageW, imageH);
  uint32_t seed = 1;
  for (int y = 0; y < gridH && y / 64 < rows; y += 64)
    for (int x = 0; x < gridW; x += 64) {
      const int w = std::min(64, gridW - x), h = std::min(64, gridH - y);
      f.tile(x, y, w, h, 1, patternTile(w, h, seed++));
    }
  return f;
}

struct Case {
  const char* name;
  int imageW, imageH;
  std::function<Bytes()> frame;
  bool ok;
};

TEST(FrameDecoderThreadsTest, TwoThreadsDrawWhatOneDraws) {
  const Case cases[] = {
      {"whole grid", 300, 200, [] { return gridOfTiles(300, 200, 300, 200).bytes(); }, true},
      {"grid scaled up to the image", 450, 300,
       [] { return gridOfTiles(300, 200, 450, 300).bytes(); }, true},
      {"grid larger than the image", 200, 120,
       [] { return gridOfTiles(300, 200, 200, 120).bytes(); }, true},
      {"solid tiles between compressed ones", 256, 128,
       [] {
         FrameBuilder f = gridOfTiles(256, 128, 256, 128, 1);
         f.solid(0, 64, 128, 64, 0xFF112233).solid(128, 64, 128, 64, 0xFF445566);
         return f.bytes();
       },
       true},
      {"bad header after good tiles", 256, 128,
       [] { return gridOfTiles(256, 128, 256, 128).setCount(9).bytes(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes frame = c.frame();
    Bytes one(size_t(c.imageW) * c.imageH * 4, 0x5A), two = one;
    FrameDecoder single(1), shared(2);
    EXPECT_EQ(single.decodeTiledFrame(frame, one.data(), c.imageW, c.imageH), c.ok);
    EXPECT_EQ(shared.decodeTiledFrame(frame, two.data(), c.imageW, c.imageH), c.ok);
    EXPECT_TRUE(one == two);
  }
}

TEST(FrameDecoderThreadsTest, OverlappingTilesAreDrawnInPayloadOrder) {
  // Off the cells and overlapping, with growing sizes: drawing largest first, or two at once,
  // would leave earlier tiles on top.
  FrameBuilder frame(256, 128, 256, 128);
  Bytes expected(size_t(256) * 128 * 4, 0);
  for (int i = 0; i < 6; ++i) {
    const int side = 24 + 4 * i;
    frame.tile(i * 20, i * 10, side, side, 1, patternTile(side, side, i + 1));
    blitTile(expected.data(), 256, 128, patternPixels(side, side, i + 1).data(), side, side, i * 20,
             i * 10, 256, 128);
  }
  Bytes image(expected.size(), 0);
  FrameDecoder decoder(2);
  ASSERT_TRUE(decoder.decodeTiledFrame(frame.bytes(), image.data(), 256, 128));
  EXPECT_TRUE(image == expected);
}

TEST(FrameDecoderThreadsTest, BadTileAmongSharedTilesFailsTheFrame) {
  FrameBuilder f = gridOfTiles(256, 128, 256, 128);
  Bytes broken = patternTile(64, 64, 99);
  broken.resize(broken.size() - 8);
  f.tile(0, 128, 64, 64, 1, broken);  // outside the grid: refused before drawing
  FrameBuilder g = gridOfTiles(256, 128, 256, 128, 1);
  g.tile(0, 64, 64, 64, 1, broken);  // a cell of its own, but its stream is cut short
  Bytes image(size_t(256) * 128 * 4, 0);
  FrameDecoder decoder(2);
  EXPECT_FALSE(decoder.decodeTiledFrame(f.bytes(), image.data(), 256, 128));
  EXPECT_FALSE(decoder.decodeTiledFrame(g.bytes(), image.data(), 256, 128));
  // The decoder goes on with the next frame.
  const Bytes good = gridOfTiles(256, 128, 256, 128).bytes();
  Bytes expected(image.size(), 0);
  FrameDecoder(1).decodeTiledFrame(good, expected.data(), 256, 128);
  EXPECT_TRUE(decoder.decodeTiledFrame(good, image.data(), 256, 128));
  EXPECT_TRUE(image == expected);
}

}  // namespace
}  // namespace px
