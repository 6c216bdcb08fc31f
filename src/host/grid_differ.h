// Dirty rectangles for capturers whose platform reports no changes (GDI): the previous and the
// current image are compared on the encoder's tile grid, and the changed cells merged into
// rectangles. Pure; any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "host/screen_capturer.h"

namespace px {

// A B G R A image, rows top to bottom, stride width * 4. Null pixels mean "no image".
struct ImageView {
  const uint8_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
};

// Replaces `dirty` with the kTileSize cells that differ between the two images, in monitor
// pixels, clipped to the image (edge cells of a size that is no multiple of the tile are
// partial). Runs of changed cells in a tile row become one rectangle, and a rectangle grows
// downwards while the next tile row has a run with the same left and right edges. No previous
// image, or one of another size, gives the whole current image; an empty current image gives
// nothing.
void diffGrid(ImageView previous, ImageView current, std::vector<PixelRect>& dirty);

}  // namespace px
