// Checks a screenshot of the viewer's view against the remote screen it shows: the screen scaled
// to fit with its aspect kept (the viewer's own fit), bilinear as the renderer samples, and the
// bars around it in their colour. Tile by tile, so a wrong region is found and named.
#pragma once

#include <string>
#include <vector>

#include "support/corpus.h"
#include "ui/geometry.h"
#include "ui/rgb.h"

namespace px::test {

inline constexpr int kFitTile = 32;

struct FitComparison {
  int tiles = 0;                    // tiles wholly inside the picture and not skipped
  int skippedTiles = 0;
  int wrongTiles = 0;               // whose mean error is above the bound
  double meanError = 0;             // over all compared tiles, per channel
  double worstTileError = 0;
  int barPixels = 0, wrongBarPixels = 0;
  std::vector<std::string> problems;  // the first few wrong tiles, for the log
};

// `view` is the view's pixels, `screen` the remote screen at its own size. A tile is wrong when
// the mean absolute error per channel of its 4 × 4 block averages is above `maxTileError`.
// Tiles showing any part of a `skip` rectangle (screen pixels: a window known to cover the
// picture there) are left out.
FitComparison compareFitted(const BgraImage& view, const BgraImage& screen, Rgb barColour,
                            double maxTileError, const std::vector<RectPx>& skip = {});

// Bilinear sample of `image` at (sx, sy) in pixel-centre coordinates, edges clamped: B, G, R.
void sampleBilinear(const BgraImage& image, float sx, float sy, float out[3]);

}  // namespace px::test
