#include "host/grid_differ.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "base/bytes.h"

namespace px {
namespace {

struct Point {
  int32_t x, y;
};

struct Image {
  int32_t width = 0;
  int32_t height = 0;
  Bytes pixels;

  Image(int32_t w, int32_t h) : width(w), height(h), pixels(size_t(w) * h * 4, 0x30) {}
  ImageView view() const { return {pixels.data(), width, height}; }
  void touch(Point p) { pixels[(size_t(p.y) * width + p.x) * 4 + 1] ^= 0x5A; }
};

std::vector<PixelRect> sorted(std::vector<PixelRect> rects) {
  std::sort(rects.begin(), rects.end(), [](const PixelRect& a, const PixelRect& b) {
    return a.top != b.top ? a.top < b.top : a.left < b.left;
  });
  return rects;
}

TEST(GridDiffer, FindsChangedCellsAsRectangles) {
  struct Case {
    const char* name;
    int32_t width, height;
    std::vector<Point> changed;
    std::vector<PixelRect> expected;
  } cases[] = {
      {"identical", 256, 192, {}, {}},
      {"one pixel in the top-left cell", 256, 192, {{0, 0}}, {{0, 0, 64, 64}}},
      {"one pixel in the bottom-right cell", 256, 192, {{255, 191}}, {{192, 128, 256, 192}}},
      {"last pixel of a cell", 256, 192, {{63, 63}}, {{0, 0, 64, 64}}},
      {"first pixel of the next cell", 256, 192, {{64, 64}}, {{64, 64, 128, 128}}},
      {"both sides of a vertical border", 256, 192, {{63, 5}, {64, 5}}, {{0, 0, 128, 64}}},
      {"both sides of a horizontal border", 256, 192, {{10, 63}, {10, 64}}, {{0, 0, 64, 128}}},
      {"two separate cells in one row", 256, 192, {{1, 1}, {200, 1}},
       {{0, 0, 64, 64}, {192, 0, 256, 64}}},
      {"a column of equal runs merges", 256, 192, {{70, 1}, {70, 100}, {70, 150}},
       {{64, 0, 128, 192}}},
      {"runs of other widths stay apart", 256, 192, {{1, 1}, {65, 1}, {1, 65}},
       {{0, 0, 128, 64}, {0, 64, 64, 128}}},
      {"partial cell at the right edge", 200, 130, {{199, 3}}, {{192, 0, 200, 64}}},
      {"partial cell at the bottom edge", 200, 130, {{3, 129}}, {{0, 128, 64, 130}}},
      {"partial corner cell", 200, 130, {{199, 129}}, {{192, 128, 200, 130}}},
      {"smaller than one cell", 10, 7, {{9, 6}}, {{0, 0, 10, 7}}},
  };
  std::vector<PixelRect> dirty;
  for (const Case& c : cases) {
    const Image before(c.width, c.height);
    Image after = before;
    for (Point p : c.changed) after.touch(p);
    diffGrid(before.view(), after.view(), dirty);
    EXPECT_EQ(sorted(dirty), sorted(c.expected)) << c.name;
  }
}

TEST(GridDiffer, WholeScreenWhenEverythingOrTheSizeChanged) {
  struct Case {
    const char* name;
    int32_t previousWidth, previousHeight;  // 0 x 0: no previous image
    int32_t width, height;
    bool changeEveryPixel;
    std::vector<PixelRect> expected;
  } cases[] = {
      {"every pixel changed", 1000, 700, 1000, 700, true, {{0, 0, 1000, 700}}},
      {"first frame", 0, 0, 1000, 700, false, {{0, 0, 1000, 700}}},
      {"wider", 1000, 700, 1024, 700, false, {{0, 0, 1024, 700}}},
      {"taller", 1000, 700, 1000, 768, false, {{0, 0, 1000, 768}}},
      {"no current image", 1000, 700, 0, 0, false, {}},
  };
  std::vector<PixelRect> dirty;
  for (const Case& c : cases) {
    const Image before(c.previousWidth, c.previousHeight);
    Image after(c.width, c.height);
    if (c.changeEveryPixel) std::fill(after.pixels.begin(), after.pixels.end(), uint8_t(0x31));
    const ImageView previous = c.previousWidth ? before.view() : ImageView{};
    const ImageView current = c.width ? after.view() : ImageView{};
    diffGrid(previous, current, dirty);
    EXPECT_EQ(dirty, c.expected) << c.name;
  }
}

// Random changes: the rectangles cover exactly the changed cells, each once.
TEST(GridDiffer, RectanglesTileTheChangedCellsExactly) {
  std::mt19937 random(7);
  const int32_t width = 700, height = 450;  // 11 x 8 cells, the last ones partial
  const int32_t columns = 11, rows = 8;
  std::vector<PixelRect> dirty;
  for (int round = 0; round < 50; ++round) {
    const Image before(width, height);
    Image after = before;
    std::vector<int> expected(size_t(columns * rows), 0);
    const int touches = int(random() % 40);
    for (int t = 0; t < touches; ++t) {
      const Point p{int32_t(random() % width), int32_t(random() % height)};
      after.touch(p);
      expected[size_t(p.y / 64 * columns + p.x / 64)] = 1;
    }
    diffGrid(before.view(), after.view(), dirty);
    std::vector<int> covered(expected.size(), 0);
    for (const PixelRect& r : dirty) {
      ASSERT_FALSE(r.empty()) << round;
      for (int32_t y = r.top; y < r.bottom; y += 64) {
        for (int32_t x = r.left; x < r.right; x += 64) ++covered[size_t(y / 64 * columns + x / 64)];
      }
    }
    EXPECT_EQ(covered, expected) << round;
  }
}

}  // namespace
}  // namespace px
