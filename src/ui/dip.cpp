#include "ui/dip.h"

#include <cmath>

namespace px {

int usableDpi(int dpi) { return dpi > 0 ? dpi : kDefaultDpi; }

int dipsToPixels(float dips, int dpi) {
  // In double, so that values like 2.5 are exact before rounding.
  return int(std::lround(double(dips) * usableDpi(dpi) / kDefaultDpi));
}

SizePx dipsToPixels(SizeF dips, int dpi) {
  return {dipsToPixels(dips.width, dpi), dipsToPixels(dips.height, dpi)};
}

RectPx dipsToPixels(const RectF& dips, int dpi) {
  return {dipsToPixels(dips.left, dpi), dipsToPixels(dips.top, dpi), dipsToPixels(dips.right, dpi),
          dipsToPixels(dips.bottom, dpi)};
}

float pixelsToDips(int pixels, int dpi) {
  return float(double(pixels) * kDefaultDpi / usableDpi(dpi));
}

PointF pixelsToDips(PointPx pixels, int dpi) {
  return {pixelsToDips(pixels.x, dpi), pixelsToDips(pixels.y, dpi)};
}

SizeF pixelsToDips(SizePx pixels, int dpi) {
  return {pixelsToDips(pixels.width, dpi), pixelsToDips(pixels.height, dpi)};
}

}  // namespace px
