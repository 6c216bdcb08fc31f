// The view check the Wine end-to-end test relies on: a right view passes, and each way a view
// can be wrong (aspect lost, picture upside down, bars of another colour) is caught.
#include "e2e/fit_compare.h"

#include <gtest/gtest.h>

#include <functional>

#include "viewer/picture_fit.h"

namespace px::test {
namespace {

constexpr Rgb kBar{16, 16, 18};

// A screen whose every 8-pixel block has its own colour, so any misplacement shows.
BgraImage blockyScreen(int width, int height) {
  BgraImage image{width, height, Bytes(size_t(width) * height * 4)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &image.pixels[(size_t(y) * width + x) * 4];
      const int block = (y / 8) * 31 + (x / 8) * 17;
      p[0] = uint8_t(40 + block * 37 % 200), p[1] = uint8_t(40 + block * 91 % 200);
      p[2] = uint8_t(40 + block * 53 % 200), p[3] = 255;
    }
  }
  return image;
}

// A view drawn from `screen` by mapping each view pixel inside `fit` to a screen position.
using Mapping = std::function<void(float u, float v, float& sx, float& sy)>;
BgraImage drawView(int width, int height, const BgraImage& screen, const PictureFit& fit,
                   const Mapping& map, Rgb bar) {
  BgraImage view{width, height, Bytes(size_t(width) * height * 4)};
  const RectPx covered = coveredPixels(fit);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &view.pixels[(size_t(y) * width + x) * 4];
      p[3] = 255;
      if (x < covered.left || x >= covered.right || y < covered.top || y >= covered.bottom) {
        p[0] = bar.b, p[1] = bar.g, p[2] = bar.r;
        continue;
      }
      float sx = 0, sy = 0, c[3];
      map((x + 0.5f - fit.left) / fit.width, (y + 0.5f - fit.top) / fit.height, sx, sy);
      sampleBilinear(screen, sx * screen.width - 0.5f, sy * screen.height - 0.5f, c);
      for (int k = 0; k < 3; ++k) p[k] = uint8_t(c[k] + 0.5f);
    }
  }
  return view;
}

TEST(FitCompareTest, PassesTheRightViewAndCatchesEachWrongOne) {
  const BgraImage screen = blockyScreen(64, 32);
  const int viewWidth = 128, viewHeight = 128;
  const PictureFit kept = fitPicture(viewWidth, viewHeight, 64, 32);
  const PictureFit stretched{0, 0, float(viewWidth), float(viewHeight)};
  const Mapping same = [](float u, float v, float& sx, float& sy) { sx = u, sy = v; };
  const Mapping upsideDown = [](float u, float v, float& sx, float& sy) { sx = u, sy = 1 - v; };
  const struct {
    const char* what;
    PictureFit fit;
    Mapping map;
    Rgb bar;
    bool tilesRight, barsRight;
  } cases[] = {
      {"aspect kept, bars in their colour", kept, same, kBar, true, true},
      {"stretched over the bars", stretched, same, kBar, false, false},
      {"upside down", kept, upsideDown, kBar, false, true},
      {"bars black", kept, same, Rgb{0, 0, 0}, true, false},
  };
  for (const auto& c : cases) {
    const BgraImage view = drawView(viewWidth, viewHeight, screen, c.fit, c.map, c.bar);
    const FitComparison result = compareFitted(view, screen, kBar, 8.0);
    EXPECT_GT(result.tiles, 0) << c.what;
    EXPECT_EQ(result.wrongTiles == 0, c.tilesRight) << c.what << ": " << result.worstTileError;
    EXPECT_GT(result.barPixels, 0) << c.what;
    EXPECT_EQ(result.wrongBarPixels == 0, c.barsRight) << c.what << ": " << result.wrongBarPixels;
  }
}

// A window over part of the remote screen: the tiles that show it are left out, the rest judged.
TEST(FitCompareTest, LeavesOutTilesShowingASkippedRectangle) {
  const BgraImage screen = blockyScreen(64, 32);
  const PictureFit fit = fitPicture(256, 256, 64, 32);
  const Mapping leftHalfWrong = [](float u, float v, float& sx, float& sy) {
    sx = u < 0.5f ? 0.5f - u : u, sy = v;
  };
  const BgraImage view = drawView(256, 256, screen, fit, leftHalfWrong, kBar);
  EXPECT_GT(compareFitted(view, screen, kBar, 8.0).wrongTiles, 0);
  const FitComparison skipped = compareFitted(view, screen, kBar, 8.0, {{0, 0, 32, 32}});
  EXPECT_EQ(skipped.wrongTiles, 0);
  EXPECT_GT(skipped.skippedTiles, 0);
  EXPECT_GT(skipped.tiles, 0);
}

}  // namespace
}  // namespace px::test
