// Checks of a screenshot against a table of rectangles, for end-to-end tests of drawn windows:
// a rectangle is either filled with one colour or has something drawn on it (text, an icon).
//
// Table rows: `name x0 y0 x1 y1 #RRGGBB` or `name x0 y0 x1 y1 text[:N]`; left and top
// inclusive, right and bottom exclusive. Blank lines and lines starting with '#' are skipped.
#pragma once

#include <cstdint>
#include <string>

#include "support/corpus.h"
#include "ui/geometry.h"

namespace px::test {

struct Rgb8 {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb8&, const Rgb8&) = default;
};

// A colour row passes when at least 95 % of the rectangle's pixels are within ±6 of the colour
// in each of R, G and B: room for anti-aliased edges that reach into the rectangle and for
// rounding in a colour-managed path, none for a wrong colour or a missing fill.
inline constexpr int kColourTolerance = 6;
inline constexpr int kColourSharePercent = 95;
// A text row passes when at least N pixels (N = 10 unless given) differ by more than 64 in some
// channel from the rectangle's most frequent exact colour: glyph strokes, not noise.
inline constexpr int kClearDifference = 64;
inline constexpr int kDefaultMinDrawn = 10;

struct PixelCheck {
  std::string name;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // in the table's units
  bool text = false;
  Rgb8 colour;                    // colour rows
  int minDrawn = kDefaultMinDrawn;  // text rows
};

// False on a malformed row (too few or too many fields, a bad number, colour or count).
bool parsePixelCheck(const std::string& line, PixelCheck& out);

// The table's units: pixels of the screenshot (the defaults), or DIPs of a window whose client
// area starts at the origin, at a DPI.
struct TableUnits {
  int dpi = 96;
  int originX = 0;
  int originY = 0;
};

// Every edge on its own, round(v × dpi / 96) with halves away from zero (as the UI's own
// conversion does), plus the origin.
RectPx toScreenshotPixels(const PixelCheck& check, const TableUnits& units);

struct PixelCheckResult {
  bool ok = false;
  std::string problem;   // set when the rectangle is empty or leaves the screenshot
  Rgb8 dominant;         // most frequent exact colour in the rectangle
  int matchingPercent = 0;  // colour rows: share within the tolerance, rounded down
  int drawn = 0;            // text rows: pixels that differ clearly from the dominant colour
};

PixelCheckResult runPixelCheck(const BgraImage& shot, const RectPx& rect, const PixelCheck& check);

}  // namespace px::test
