#include "host/frame_encoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/frame_payload.h"

namespace px {
namespace {

using test::ParsedFrame;
using test::parseFramePayload;

struct Screen {
  int width, height;
  Bytes pixels;
  Screen(int w, int h, uint32_t bgra = 0xFF202020)
      : width(w), height(h), pixels(size_t(w) * h * 4) {
    fill(0, 0, w, h, bgra);
  }
  void fill(int x, int y, int w, int h, uint32_t bgra) {
    for (int r = y; r < y + h; ++r)
      for (int c = x; c < x + w; ++c) storeLe32(&pixels[(size_t(r) * width + c) * 4], bgra);
  }
  // Noise no lossless coder shrinks: forces the JPEG path.
  void noise(int x, int y, int w, int h, uint32_t seed) {
    for (int r = y; r < y + h; ++r)
      for (int c = x; c < x + w; ++c) {
        seed = seed * 1664525u + 1013904223u;
        storeLe32(&pixels[(size_t(r) * width + c) * 4], (seed >> 8) | 0xFF000000u);
      }
  }
  // Text-like stripes: compress well, not solid.
  void stripes(int x, int y, int w, int h) {
    for (int r = y; r < y + h; ++r)
      for (int c = x; c < x + w; ++c)
        storeLe32(&pixels[(size_t(r) * width + c) * 4],
                  ((r / 3 + c / 5) % 2) ? 0xFF000000 : 0xFFFFFFFF);
  }
  EncodeInput input(std::span<const DirtyRect> dirty = {}) const {
    EncodeInput in;
    in.pixels = pixels.data();
    in.width = width;
    in.height = height;
    in.dirty = dirty;
    return in;
  }
};

TEST(FrameEncoderTest, KeyFrameThenNothingChanged) {
  Screen screen(200, 130);
  screen.stripes(0, 0, 64, 64);
  FrameEncoder encoder;
  ReferenceFrame reference;
  Bytes payload;
  EncodeInput in = screen.input();
  in.frameIndex = 7;
  in.cursorX = -3;
  in.cursorY = 9;
  in.cursorVisible = true;
  ASSERT_TRUE(encoder.encode(in, reference, payload));
  ParsedFrame frame;
  ASSERT_TRUE(parseFramePayload(payload, frame));
  EXPECT_EQ(frame.scale, 100);
  EXPECT_EQ(frame.gridWidth, 200);
  EXPECT_EQ(frame.screenHeight, 130);
  EXPECT_EQ(frame.index, 7u);
  EXPECT_EQ(frame.cursorX, -3);
  EXPECT_TRUE(frame.cursorVisible);
  EXPECT_EQ(frame.tiles.size(), 4u * 3u);
  EXPECT_EQ(reference.pixels, screen.pixels);

  const DirtyRect everything{0, 0, 200, 130};
  ASSERT_TRUE(encoder.encode(screen.input({&everything, 1}), reference, payload));
  EXPECT_TRUE(payload.empty()) << "nothing changed: nothing to send";
}

TEST(FrameEncoderTest, OneChangedFlatTileIsASolidTileOf18Bytes) {
  Screen screen(256, 192);
  FrameEncoder encoder;
  ReferenceFrame reference;
  Bytes payload;
  ASSERT_TRUE(encoder.encode(screen.input(), reference, payload));
  screen.fill(64, 64, 64, 64, 0xFF0000FF);
  const DirtyRect dirty{70, 70, 80, 80};
  ASSERT_TRUE(encoder.encode(screen.input({&dirty, 1}), reference, payload));
  ASSERT_EQ(payload.size(), kFrameHeaderSize + 14 + 4);
  ParsedFrame frame;
  ASSERT_TRUE(parseFramePayload(payload, frame));
  ASSERT_EQ(frame.tiles.size(), 1u);
  EXPECT_EQ(frame.tiles[0].x, 64);
  EXPECT_EQ(frame.tiles[0].kind, 0);
  EXPECT_EQ(loadLe32(frame.tiles[0].data.data()), 0xFF0000FFu);
}

TEST(FrameEncoderTest, ChangesOutsideTheDirtyRectanglesAreNotLookedAt) {
  Screen screen(128, 64);
  FrameEncoder encoder;
  ReferenceFrame reference;
  Bytes payload;
  ASSERT_TRUE(encoder.encode(screen.input(), reference, payload));
  screen.fill(0, 0, 128, 64, 0xFF00FF00);
  const DirtyRect dirty{64, 0, 65, 1};
  ASSERT_TRUE(encoder.encode(screen.input({&dirty, 1}), reference, payload));
  ParsedFrame frame;
  ASSERT_TRUE(parseFramePayload(payload, frame));
  ASSERT_EQ(frame.tiles.size(), 1u);
  EXPECT_EQ(frame.tiles[0].x, 64);
}

TEST(FrameEncoderTest, Screen1366WideHasANarrowLastColumn) {
  Screen screen(1366, 64);
  screen.stripes(0, 0, 1366, 64);
  FrameEncoder encoder;
  ReferenceFrame reference;
  Bytes payload;
  ASSERT_TRUE(encoder.encode(screen.input(), reference, payload));
  ParsedFrame frame;
  ASSERT_TRUE(parseFramePayload(payload, frame));
  ASSERT_EQ(frame.tiles.size(), 22u);
  EXPECT_EQ(frame.tiles.back().x, 1344);
  EXPECT_EQ(frame.tiles.back().w, 22);
}

TEST(FrameEncoderTest, JpegRectanglesComeFirstAndMerge) {
  Screen screen(256, 128);
  screen.stripes(0, 0, 256, 128);
  screen.noise(64, 0, 128, 128, 1);  // four JPEG tiles: 2 x 2 -> one 128 x 128 rectangle
  FrameEncoder encoder;
  ReferenceFrame reference;
  Bytes payload;
  ASSERT_TRUE(encoder.encode(screen.input(), reference, payload));
  ParsedFrame frame;
  ASSERT_TRUE(parseFramePayload(payload, frame));
  ASSERT_EQ(frame.tiles.size(), 1u + 4u);
  EXPECT_EQ(frame.tiles[0].kind, 2);
  EXPECT_EQ(frame.tiles[0].x, 64);
  EXPECT_EQ(frame.tiles[0].w, 128);
  EXPECT_EQ(frame.tiles[0].h, 128);
  const int scanOrder[][2] = {{0, 0}, {192, 0}, {0, 64}, {192, 64}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(frame.tiles[1 + i].kind, 1);
    EXPECT_EQ(frame.tiles[1 + i].x, scanOrder[i][0]);
    EXPECT_EQ(frame.tiles[1 + i].y, scanOrder[i][1]);
  }
}

TEST(FrameEncoderTest, MergeOfJpegCandidates) {
  struct Case {
    const char* name;
    std::vector<TileRect> in;
    std::vector<TileRect> out;
  } cases[] = {
      {"side by side", {{64, 0, 64, 64}, {0, 0, 64, 64}}, {{0, 0, 128, 64}}},
      {"two rows of equal span",
       {{0, 0, 64, 64}, {64, 0, 64, 64}, {0, 64, 64, 64}, {64, 64, 64, 64}},
       {{0, 0, 128, 128}}},
      {"gap keeps them apart",
       {{0, 0, 64, 64}, {128, 0, 64, 64}},
       {{0, 0, 64, 64}, {128, 0, 64, 64}}},
      {"unequal spans do not stack",
       {{0, 0, 128, 64}, {0, 64, 64, 64}},
       {{0, 0, 128, 64}, {0, 64, 64, 64}}},
      {"a column of three", {{0, 128, 64, 64}, {0, 0, 64, 64}, {0, 64, 64, 64}}, {{0, 0, 64, 192}}},
      {"edge tile of other height",
       {{0, 0, 64, 64}, {64, 0, 22, 64}, {0, 64, 86, 40}},
       {{0, 0, 86, 104}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto merged = mergeJpegRects(c.in);
    ASSERT_EQ(merged.size(), c.out.size());
    for (size_t i = 0; i < merged.size(); ++i) {
      EXPECT_EQ(merged[i].x, c.out[i].x);
      EXPECT_EQ(merged[i].y, c.out[i].y);
      EXPECT_EQ(merged[i].w, c.out[i].w);
      EXPECT_EQ(merged[i].h, c.out[i].h);
    }
  }
}

TEST(FrameEncoderTest, CompressedTileKeptUpToSeventyPercent) {
  const struct {
    size_t data, raw;
    bool kept;
  } cases[] = {
      {7, 10, true},          {8, 10, false},
      {11468, 16384, true},   {11469, 16384, false},  // a full tile: 70 % is 11468.8 bytes
      {700, 1000, true},      {701, 1000, false},     // exactly 70 % is kept
  };
  for (const auto& c : cases) {
    EXPECT_EQ(compressedTileKept(c.data, c.raw), c.kept) << c.data << "/" << c.raw;
  }
}

TEST(FrameEncoderTest, QualityRules) {
  EXPECT_FLOAT_EQ(jpegQualityFor({0, 0, 1280, 720}, 0.92f), 0.92f);
  EXPECT_FLOAT_EQ(jpegQualityFor({0, 0, 1280, 784}, 0.92f), 0.9f);
  EXPECT_FLOAT_EQ(jpegQualityFor({0, 0, 1280, 784}, 0.5f), 0.5f);
}

TEST(FrameEncoderTest, SendTimePacing) {
  const struct {
    double sendMs;
    int interval;
  } cases[] = {{0, 16}, {35, 16}, {40, 16}, {45, 45}, {80, 50}};
  for (const auto& c : cases) EXPECT_EQ(nextFrameIntervalMs(c.sendMs), c.interval) << c.sendMs;
}

TEST(FrameEncoderTest, RefusesBadScreens) {
  Screen screen(8, 8);
  FrameEncoder encoder;
  ReferenceFrame reference;
  Bytes payload;
  ASSERT_TRUE(encoder.encode(screen.input(), reference, payload));
  const struct {
    const char* name;
    int width, height;
    bool pixels;
  } cases[] = {
      {"no pixels", 8, 8, false}, {"zero width", 0, 8, true}, {"too tall", 8, 16385, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EncodeInput in = screen.input();
    in.width = c.width;
    in.height = c.height;
    if (!c.pixels) in.pixels = nullptr;
    payload.assign(3, 1);
    EXPECT_FALSE(encoder.encode(in, reference, payload));
    EXPECT_TRUE(payload.empty());
    EXPECT_TRUE(reference.empty()) << "a failed encode leaves a key frame to follow";
  }
}

TEST(FrameEncoderTest, ScaledFramesAverageSourceBoxes) {
  const struct {
    int scale, width, height, gridW, gridH;
  } cases[] = {
      {50, 101, 51, 50, 25}, {75, 100, 40, 75, 30}, {30, 10, 10, 10, 10}, {50, 1, 1, 1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale);
    Screen screen(c.width, c.height);
    // Columns alternate two greys: each 2-pixel box at 50 % averages them.
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        storeLe32(&screen.pixels[(size_t(y) * c.width + x) * 4], x % 2 ? 0x10646464 : 0x10C8C8C8);
    FrameEncoder encoder;
    ReferenceFrame reference;
    Bytes payload;
    EncodeInput in = screen.input();
    in.scale = c.scale;
    ASSERT_TRUE(encoder.encode(in, reference, payload));
    ParsedFrame frame;
    ASSERT_TRUE(parseFramePayload(payload, frame));
    EXPECT_EQ(frame.gridWidth, c.gridW);
    EXPECT_EQ(frame.gridHeight, c.gridH);
    EXPECT_EQ(frame.scale, c.scale == 30 ? 100 : c.scale);
    ASSERT_EQ(reference.width, c.gridW);
    if (c.scale == 50 && c.width > 1) {
      EXPECT_EQ(loadLe32(&reference.pixels[0]), 0xFF969696u) << "(200 + 100) / 2, alpha opaque";
    }
  }
}

TEST(FrameEncoderTest, ThreadsGiveTheSamePayload) {
  Screen screen(640, 320);
  screen.stripes(0, 0, 640, 320);
  screen.noise(100, 50, 300, 150, 5);
  screen.fill(500, 200, 140, 120, 0xFF123456);
  FrameEncoder one(1), two(2);
  ReferenceFrame r1, r2;
  Bytes p1, p2;
  ASSERT_TRUE(one.encode(screen.input(), r1, p1));
  ASSERT_TRUE(two.encode(screen.input(), r2, p2));
  EXPECT_EQ(p1, p2);
}

TEST(FrameEncoderTest, ReferenceOfAnotherSizeMeansKeyFrame) {
  Screen before(128, 64), after(64, 64);
  FrameEncoder encoder;
  ReferenceFrame reference;
  Bytes payload;
  ASSERT_TRUE(encoder.encode(before.input(), reference, payload));
  const DirtyRect none{0, 0, 0, 0};
  ASSERT_TRUE(encoder.encode(after.input({&none, 1}), reference, payload));
  ParsedFrame frame;
  ASSERT_TRUE(parseFramePayload(payload, frame));
  EXPECT_EQ(frame.tiles.size(), 1u) << "the whole new monitor, whatever the dirty list says";
  EXPECT_EQ(reference.width, 64);
}

}  // namespace
}  // namespace px
