#include "ui/window_placement.h"

namespace px {

RectPx centredIn(SizePx size, const RectPx& area) {
  const int left = area.left + (area.width() - size.width) / 2;
  const int top = area.top + (area.height() - size.height) / 2;
  return {left, top, left + size.width, top + size.height};
}

}  // namespace px
