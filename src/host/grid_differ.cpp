#include "host/grid_differ.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "protocol/frame_format.h"

namespace px {
namespace {

// Marks the cells of one tile row that differ. A whole pixel row is compared first: on a quiet
// screen almost every row is equal, and one long memcmp is far cheaper than one per cell.
void markChangedCells(ImageView previous, ImageView current, int32_t top, int32_t bottom,
                      std::vector<uint8_t>& changed) {
  const size_t stride = size_t(current.width) * 4;
  const int32_t columns = int32_t(changed.size());
  int32_t remaining = columns;
  for (int32_t y = top; y < bottom && remaining > 0; ++y) {
    const uint8_t* a = previous.pixels + size_t(y) * stride;
    const uint8_t* b = current.pixels + size_t(y) * stride;
    if (std::memcmp(a, b, stride) == 0) continue;
    for (int32_t c = 0; c < columns; ++c) {
      if (changed[size_t(c)]) continue;
      const size_t from = size_t(c) * kTileSize * 4;
      const size_t bytes = std::min(size_t(kTileSize) * 4, stride - from);
      if (std::memcmp(a + from, b + from, bytes) != 0) {
        changed[size_t(c)] = 1;
        --remaining;
      }
    }
  }
}

}  // namespace

void diffGrid(ImageView previous, ImageView current, std::vector<PixelRect>& dirty) {
  dirty.clear();
  if (!current.pixels || current.width <= 0 || current.height <= 0) return;
  const PixelRect whole{0, 0, current.width, current.height};
  if (!previous.pixels || previous.width != current.width || previous.height != current.height) {
    dirty.push_back(whole);
    return;
  }
  const int32_t columns = (current.width + kTileSize - 1) / kTileSize;
  std::vector<uint8_t> changed(size_t(columns), 0);
  // Rectangles that reach the previous tile row's bottom (sorted by left edge, like the runs):
  // the only ones a run of this row may extend.
  std::vector<PixelRect> open;
  std::vector<PixelRect> next;
  for (int32_t top = 0; top < current.height; top += kTileSize) {
    const int32_t bottom = std::min(top + kTileSize, current.height);
    std::fill(changed.begin(), changed.end(), uint8_t(0));
    markChangedCells(previous, current, top, bottom, changed);
    next.clear();
    size_t i = 0;
    for (int32_t c = 0; c < columns;) {
      if (!changed[size_t(c)]) {
        ++c;
        continue;
      }
      int32_t end = c;
      while (end < columns && changed[size_t(end)]) ++end;
      const int32_t left = c * kTileSize;
      const int32_t right = std::min(end * kTileSize, current.width);
      for (; i < open.size() && open[i].left < left; ++i) dirty.push_back(open[i]);
      if (i < open.size() && open[i].left == left && open[i].right == right) {
        next.push_back(PixelRect{left, open[i].top, right, bottom});
        ++i;
      } else {
        next.push_back(PixelRect{left, top, right, bottom});
      }
      c = end;
    }
    dirty.insert(dirty.end(), open.begin() + std::ptrdiff_t(i), open.end());
    open.swap(next);
  }
  dirty.insert(dirty.end(), open.begin(), open.end());
}

}  // namespace px
