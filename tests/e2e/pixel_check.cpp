#include "e2e/pixel_check.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <unordered_map>

#include "ui/dip.h"

namespace px::test {
namespace {

bool parseNumber(const std::string& text, double& out) {
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0';
}

bool parseColour(const std::string& text, Rgb8& out) {
  if (text.size() != 7 || text[0] != '#') return false;
  Bytes rgb;
  if (!fromHex(std::string_view(text).substr(1), rgb)) return false;
  out = {rgb[0], rgb[1], rgb[2]};
  return true;
}

bool parseTextSpec(const std::string& text, int& minDrawn) {
  if (text == "text") return true;
  if (text.rfind("text:", 0) != 0) return false;
  char* end = nullptr;
  const long n = std::strtol(text.c_str() + 5, &end, 10);
  if (text.size() == 5 || *end != '\0' || n < 1 || n > 1'000'000) return false;
  minDrawn = int(n);
  return true;
}

Rgb8 pixelAt(const BgraImage& shot, int x, int y) {
  const uint8_t* p = &shot.pixels[(size_t(y) * shot.width + x) * 4];
  return {p[2], p[1], p[0]};
}

uint32_t key(Rgb8 c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }

int maxChannelDifference(Rgb8 a, Rgb8 b) {
  return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

template <typename Visit>
void forEachPixel(const BgraImage& shot, const RectPx& rect, Visit visit) {
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) visit(pixelAt(shot, x, y));
}

// Ties go to the smaller colour value, so the report does not depend on hash order.
Rgb8 dominantColour(const BgraImage& shot, const RectPx& rect) {
  std::unordered_map<uint32_t, int> counts;
  forEachPixel(shot, rect, [&](Rgb8 c) { ++counts[key(c)]; });
  uint32_t best = 0;
  int bestCount = 0;
  for (const auto& [colour, count] : counts) {
    if (count > bestCount || (count == bestCount && colour < best)) best = colour, bestCount = count;
  }
  return {uint8_t(best >> 16), uint8_t(best >> 8), uint8_t(best)};
}

}  // namespace

bool parsePixelCheck(const std::string& line, PixelCheck& out) {
  std::istringstream in(line);
  std::string fields[7];
  int n = 0;
  for (std::string field; in >> field;) {
    if (n == 6) return false;
    fields[n++] = field;
  }
  if (n != 6) return false;
  PixelCheck check;
  check.name = fields[0];
  if (!parseNumber(fields[1], check.x0) || !parseNumber(fields[2], check.y0) ||
      !parseNumber(fields[3], check.x1) || !parseNumber(fields[4], check.y1))
    return false;
  check.text = fields[5][0] != '#';
  if (check.text ? !parseTextSpec(fields[5], check.minDrawn) : !parseColour(fields[5], check.colour))
    return false;
  out = check;
  return true;
}

RectPx toScreenshotPixels(const PixelCheck& check, const TableUnits& units) {
  const RectPx r = dipsToPixels(RectF{float(check.x0), float(check.y0), float(check.x1),
                                      float(check.y1)},
                                units.dpi);
  return {r.left + units.originX, r.top + units.originY, r.right + units.originX,
          r.bottom + units.originY};
}

PixelCheckResult runPixelCheck(const BgraImage& shot, const RectPx& rect, const PixelCheck& check) {
  PixelCheckResult result;
  if (rect.width() <= 0 || rect.height() <= 0) {
    result.problem = "empty rectangle";
    return result;
  }
  if (rect.left < 0 || rect.top < 0 || rect.right > shot.width || rect.bottom > shot.height) {
    result.problem = "rectangle leaves the " + std::to_string(shot.width) + "x" +
                     std::to_string(shot.height) + " screenshot";
    return result;
  }
  result.dominant = dominantColour(shot, rect);
  const long total = long(rect.width()) * rect.height();
  if (check.text) {
    forEachPixel(shot, rect, [&](Rgb8 c) {
      result.drawn += maxChannelDifference(c, result.dominant) > kClearDifference;
    });
    result.ok = result.drawn >= check.minDrawn;
  } else {
    long matching = 0;
    forEachPixel(shot, rect, [&](Rgb8 c) {
      matching += maxChannelDifference(c, check.colour) <= kColourTolerance;
    });
    result.matchingPercent = int(matching * 100 / total);
    result.ok = matching * 100 >= total * kColourSharePercent;
  }
  return result;
}

}  // namespace px::test
