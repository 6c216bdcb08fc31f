#include "ui/dip.h"

#include <gtest/gtest.h>

#include "geometry_print.h"

namespace px {
namespace {

TEST(UiDipTest, DipsToPixelsRoundsHalvesAwayFromZero) {
  struct Case {
    float dips;
    int dpi;
    int pixels;
  };
  const Case cases[] = {
      {1, 96, 1},      {0.5f, 96, 1},    {0.49f, 96, 0},  {-0.5f, 96, -1},  {2, 120, 3},
      {1, 120, 1},     {3, 120, 4},      {6, 120, 8},     {47.5f, 144, 71}, {460, 144, 690},
      {360, 144, 540}, {46, 144, 69},    {13.5f, 144, 20}, {1, 144, 2},     {-1, 144, -2},
      {560, 0, 560},   {12.5f, 168, 22}, {0.1f, 96, 0},   {300, 192, 600},  {7.5f, 96, 8},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dipsToPixels(c.dips, c.dpi), c.pixels) << c.dips << " DIPs at " << c.dpi;
  }
}

TEST(UiDipTest, PixelsToDipsKeepsTheFraction) {
  struct Case {
    int pixels;
    int dpi;
    float dips;
  };
  const Case cases[] = {
      {69, 144, 46}, {1, 120, 0.8f}, {3, 144, 2}, {100, 0, 100}, {-6, 144, -4}, {71, 144, 47.333333f},
  };
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(pixelsToDips(c.pixels, c.dpi), c.dips) << c.pixels << " px at " << c.dpi;
  }
}

TEST(UiDipTest, RectanglesConvertEdgeByEdgeSoNeighboursStayAdjacent) {
  struct Case {
    RectF dips;
    int dpi;
    RectPx pixels;
  };
  const Case cases[] = {
      {{468, 0, 514, 48}, 144, {702, 0, 771, 72}},
      {{0, 0, 46, 48}, 120, {0, 0, 58, 60}},
      {{46, 0, 92, 48}, 120, {58, 0, 115, 60}},
      {{300, 304, 432, 344}, 96, {300, 304, 432, 344}},
      {{300, 304, 432, 344}, 144, {450, 456, 648, 516}},
  };
  for (const Case& c : cases) {
    const RectPx got = dipsToPixels(c.dips, c.dpi);
    EXPECT_EQ(got, c.pixels) << c.dpi << ": " << got;
  }
}

TEST(UiDipTest, ASizeRoundTripsAtCommonDpis) {
  for (int dpi : {96, 120, 144, 168, 192}) {
    const SizePx px = dipsToPixels(SizeF{560, 300}, dpi);
    EXPECT_EQ(pixelsToDips(px, dpi), (SizeF{560, 300})) << dpi;
  }
}

}  // namespace
}  // namespace px
