// Device-independent pixels (1/96 inch) and device pixels. All layout is in DIPs; only the window
// system boundary converts.
#pragma once

#include "ui/geometry.h"

namespace px {

inline constexpr int kDefaultDpi = 96;

// The DPI to compute with: a window or system DPI of 0 (unknown) counts as 96.
int usableDpi(int dpi);

// v × dpi / 96, rounded to the nearest integer, halves away from zero.
int dipsToPixels(float dips, int dpi);
SizePx dipsToPixels(SizeF dips, int dpi);
// Each edge converted on its own, so adjacent rectangles stay adjacent in pixels.
RectPx dipsToPixels(const RectF& dips, int dpi);

// x × 96 / dpi, unrounded: mouse positions keep their fraction for hit tests.
float pixelsToDips(int pixels, int dpi);
PointF pixelsToDips(PointPx pixels, int dpi);
SizeF pixelsToDips(SizePx pixels, int dpi);

}  // namespace px
