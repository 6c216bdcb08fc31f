#include "ui/window_placement.h"

#include <algorithm>

#include "ui/dip.h"
#include "ui/frame_layout.h"

namespace px {
namespace {

// The start of one axis: not past the far edge while the length fits, never before the near one.
int clampStart(int start, int length, int areaStart, int areaEnd) {
  if (start + length > areaEnd) start = areaEnd - length;
  return std::max(start, areaStart);
}

}  // namespace

RectPx centredIn(SizePx size, const RectPx& area) {
  const int left = area.left + (area.width() - size.width) / 2;
  const int top = area.top + (area.height() - size.height) / 2;
  return {left, top, left + size.width, top + size.height};
}

RectPx clampedInto(const RectPx& rect, const RectPx& workArea) {
  const int left = clampStart(rect.left, rect.width(), workArea.left, workArea.right);
  const int top = clampStart(rect.top, rect.height(), workArea.top, workArea.bottom);
  return {left, top, left + rect.width(), top + rect.height()};
}

RectPx layoutSwitchRect(bool toHome, const RectPx& window, const RectPx& workArea, int dpi) {
  const SizePx size = dipsToPixels(toHome ? kHomeInitialSize : kCompactSize, usableDpi(dpi));
  return clampedInto(centredIn(size, window), workArea);
}

}  // namespace px
