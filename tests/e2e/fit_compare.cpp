#include "e2e/fit_compare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "viewer/picture_fit.h"

namespace px::test {
namespace {

// How far from its colour a bar pixel may be (the view's last row and column may blend).
constexpr int kBarTolerance = 3;
constexpr int kBlock = 4;

const uint8_t* pixel(const BgraImage& image, int x, int y) {
  return &image.pixels[(size_t(y) * image.width + x) * 4];
}

bool isBar(const uint8_t* p, Rgb bar) {
  return std::abs(p[0] - bar.b) <= kBarTolerance && std::abs(p[1] - bar.g) <= kBarTolerance &&
         std::abs(p[2] - bar.r) <= kBarTolerance;
}

}  // namespace

void sampleBilinear(const BgraImage& image, float sx, float sy, float out[3]) {
  sx = std::clamp(sx, 0.0f, float(image.width - 1));
  sy = std::clamp(sy, 0.0f, float(image.height - 1));
  const int x0 = int(sx), y0 = int(sy);
  const int x1 = std::min(x0 + 1, image.width - 1), y1 = std::min(y0 + 1, image.height - 1);
  const float fx = sx - float(x0), fy = sy - float(y0);
  for (int c = 0; c < 3; ++c) {
    const float top = pixel(image, x0, y0)[c] * (1 - fx) + pixel(image, x1, y0)[c] * fx;
    const float bottom = pixel(image, x0, y1)[c] * (1 - fx) + pixel(image, x1, y1)[c] * fx;
    out[c] = top * (1 - fy) + bottom * fy;
  }
}

FitComparison compareFitted(const BgraImage& view, const BgraImage& screen, Rgb barColour,
                            double maxTileError, const std::vector<RectPx>& skip) {
  FitComparison result;
  const PictureFit fit = fitPicture(view.width, view.height, screen.width, screen.height);
  const RectPx covered = coveredPixels(fit);
  // Bars: every pixel more than one pixel away from the picture.
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      if (x >= covered.left - 1 && x <= covered.right && y >= covered.top - 1 &&
          y <= covered.bottom) {
        continue;
      }
      ++result.barPixels;
      result.wrongBarPixels += !isBar(pixel(view, x, y), barColour);
    }
  }
  // Picture: tiles wholly inside, one pixel in from its edges.
  const float scaleX = float(screen.width) / fit.width, scaleY = float(screen.height) / fit.height;
  double total = 0;
  for (int ty = covered.top + 1; ty + kFitTile <= covered.bottom - 1; ty += kFitTile) {
    for (int tx = covered.left + 1; tx + kFitTile <= covered.right - 1; tx += kFitTile) {
      // The screen pixels the tile shows, one pixel wider for the filter's reach.
      const RectPx shown{int((tx - fit.left) * scaleX) - 1, int((ty - fit.top) * scaleY) - 1,
                         int((tx + kFitTile - fit.left) * scaleX) + 2,
                         int((ty + kFitTile - fit.top) * scaleY) + 2};
      if (std::any_of(skip.begin(), skip.end(), [&](const RectPx& r) {
            return shown.left < r.right && r.left < shown.right && shown.top < r.bottom &&
                   r.top < shown.bottom;
          })) {
        ++result.skippedTiles;
        continue;
      }
      // Compared by 4 × 4 block averages: a fine texture sampled a fraction of a pixel apart
      // (the driver's filter precision, JPEG ringing) differs pixel by pixel but not in its
      // blocks, while a misplaced, stretched or flipped picture differs in both.
      double sum = 0;
      for (int by = ty; by < ty + kFitTile; by += kBlock) {
        for (int bx = tx; bx < tx + kFitTile; bx += kBlock) {
          double got[3] = {}, want[3] = {};
          for (int y = by; y < by + kBlock; ++y) {
            for (int x = bx; x < bx + kBlock; ++x) {
              float sampled[3];
              sampleBilinear(screen, (x + 0.5f - fit.left) * scaleX - 0.5f,
                             (y + 0.5f - fit.top) * scaleY - 0.5f, sampled);
              const uint8_t* p = pixel(view, x, y);
              for (int c = 0; c < 3; ++c) got[c] += p[c], want[c] += sampled[c];
            }
          }
          for (int c = 0; c < 3; ++c) sum += std::fabs(got[c] - want[c]) / (kBlock * kBlock);
        }
      }
      const double mean = sum / ((kFitTile / kBlock) * (kFitTile / kBlock) * 3);
      ++result.tiles;
      total += mean;
      result.worstTileError = std::max(result.worstTileError, mean);
      if (mean > maxTileError) {
        ++result.wrongTiles;
        if (result.problems.size() < 8) {
          char line[96];
          std::snprintf(line, sizeof line, "tile at %d,%d: mean error %.2f", tx, ty, mean);
          result.problems.push_back(line);
        }
      }
    }
  }
  result.meanError = result.tiles ? total / result.tiles : 0;
  return result;
}

}  // namespace px::test
