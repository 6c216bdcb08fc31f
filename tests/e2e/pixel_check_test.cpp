#include <gtest/gtest.h>

#include "e2e/pixel_check.h"

namespace px::test {
namespace {

BgraImage filled(int width, int height, Rgb8 c) {
  BgraImage image{width, height, Bytes(size_t(width) * height * 4)};
  for (size_t i = 0; i < image.pixels.size(); i += 4) {
    image.pixels[i] = c.b;
    image.pixels[i + 1] = c.g;
    image.pixels[i + 2] = c.r;
    image.pixels[i + 3] = 255;
  }
  return image;
}

PixelCheck rowAt(double x0, double y0, double x1, double y1) {
  PixelCheck check;
  check.x0 = x0, check.y0 = y0, check.x1 = x1, check.y1 = y1;
  return check;
}

// Paints the first `count` pixels of the 10 x 10 square at (0,0), row by row.
void paintFirst(BgraImage& image, int count, Rgb8 c) {
  for (int i = 0; i < count; ++i) {
    uint8_t* p = &image.pixels[(size_t(i / 10) * image.width + i % 10) * 4];
    p[0] = c.b, p[1] = c.g, p[2] = c.r;
  }
}

TEST(PixelCheckTest, RowsParseOrAreRefused) {
  PixelCheck c;
  ASSERT_TRUE(parsePixelCheck("caption  0 0 640.5 48  #1a2B3c", c));
  EXPECT_EQ(c.name, "caption");
  EXPECT_EQ(c.x1, 640.5);
  EXPECT_FALSE(c.text);
  EXPECT_EQ(c.colour, (Rgb8{0x1A, 0x2B, 0x3C}));
  ASSERT_TRUE(parsePixelCheck("title 8 8 200 30 text", c));
  EXPECT_TRUE(c.text);
  EXPECT_EQ(c.minDrawn, kDefaultMinDrawn);
  ASSERT_TRUE(parsePixelCheck("dot 8 8 12 12 text:3", c));
  EXPECT_EQ(c.minDrawn, 3);
  for (const char* bad : {"a 0 0 1 1", "a 0 0 1 1 #123456 extra", "a 0 0 1 x #123456",
                          "a 0 0 1 1 #12345", "a 0 0 1 1 #12345g", "a 0 0 1 1 red",
                          "a 0 0 1 1 text:", "a 0 0 1 1 text:0", "a 0 0 1 1 text:2x"}) {
    EXPECT_FALSE(parsePixelCheck(bad, c)) << bad;
  }
}

TEST(PixelCheckTest, DipEdgesRoundOnTheirOwnThenMoveByTheOrigin) {
  struct Case {
    PixelCheck dips;
    TableUnits units;
    RectPx expected;
  };
  const Case cases[] = {
      {rowAt(10, 20, 30, 40), {}, {10, 20, 30, 40}},  // the defaults: pixels as they stand
      {rowAt(1, 1, 3, 47.5), {144}, {2, 2, 5, 71}},    // 1.5 and 4.5 go up, 71.25 down
      {rowAt(0.5, 0.4, 3, 5), {96}, {1, 0, 3, 5}},     // a half goes away from zero
      {rowAt(3, 5, 13, 21), {120}, {4, 6, 16, 26}},    // 3.75, 6.25, 16.25, 26.25
      {rowAt(0, 0, 100, 48), {192, 300, 200}, {300, 200, 500, 296}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toScreenshotPixels(c.dips, c.units), c.expected)
        << c.dips.x0 << "," << c.dips.y0 << " at " << c.units.dpi;
  }
}

TEST(PixelCheckTest, ColourRowsNeedNinetyFivePercentWithinSix) {
  const Rgb8 want{100, 150, 200};
  struct Case {
    const char* what;
    Rgb8 background;
    int strays;  // pixels of the 100 painted black
    bool ok;
    int percent;
  };
  const Case cases[] = {
      {"exact", want, 0, true, 100},
      {"six off in every channel", {106, 144, 206}, 0, true, 100},
      {"seven off in one channel", {100, 150, 207}, 0, false, 0},
      {"five percent strays", want, 5, true, 95},
      {"six percent strays", want, 6, false, 94},
  };
  PixelCheck check = rowAt(0, 0, 10, 10);
  check.colour = want;
  for (const Case& c : cases) {
    BgraImage shot = filled(20, 20, c.background);
    paintFirst(shot, c.strays, {0, 0, 0});
    const PixelCheckResult r = runPixelCheck(shot, {0, 0, 10, 10}, check);
    EXPECT_EQ(r.ok, c.ok) << c.what;
    EXPECT_EQ(r.dominant, c.background) << c.what;
    EXPECT_EQ(r.matchingPercent, c.percent) << c.what;
  }
}

TEST(PixelCheckTest, TextRowsCountPixelsClearlyOffTheDominantColour) {
  const Rgb8 white{255, 255, 255};
  struct Case {
    const char* what;
    int painted;
    Rgb8 ink;
    bool ok;
    int drawn;
  };
  const Case cases[] = {
      {"nothing drawn", 0, {0, 0, 0}, false, 0},
      {"as many strokes as asked", 10, {0, 0, 0}, true, 10},
      {"one stroke short", 9, {0, 0, 0}, false, 9},
      {"a faint tint is not drawing", 40, {255, 255, 191}, false, 0},
      {"one channel clearly off is drawing", 12, {255, 255, 190}, true, 12},
  };
  PixelCheck check = rowAt(0, 0, 10, 10);
  check.text = true;
  for (const Case& c : cases) {
    BgraImage shot = filled(20, 20, white);
    paintFirst(shot, c.painted, c.ink);
    const PixelCheckResult r = runPixelCheck(shot, {0, 0, 10, 10}, check);
    EXPECT_EQ(r.ok, c.ok) << c.what;
    EXPECT_EQ(r.dominant, white) << c.what;
    EXPECT_EQ(r.drawn, c.drawn) << c.what;
  }
}

TEST(PixelCheckTest, RectanglesOutsideTheScreenshotOrEmptyFail) {
  const BgraImage shot = filled(20, 10, {1, 2, 3});
  PixelCheck check;
  check.colour = {1, 2, 3};
  for (const RectPx& r : {RectPx{0, 0, 21, 10}, RectPx{-1, 0, 5, 5}, RectPx{0, 5, 20, 11},
                          RectPx{5, 5, 5, 9}, RectPx{6, 5, 5, 9}}) {
    const PixelCheckResult result = runPixelCheck(shot, r, check);
    EXPECT_FALSE(result.ok) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_FALSE(result.problem.empty());
  }
  EXPECT_TRUE(runPixelCheck(shot, {0, 0, 20, 10}, check).ok);
}

}  // namespace
}  // namespace px::test
