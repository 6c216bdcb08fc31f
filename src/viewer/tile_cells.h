// Tells whether the tiles of one frame cover disjoint parts of its grid, so that they can be
// drawn in any order, or at once by several threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace px {

// Claims grid cells (cellSize x cellSize squares of the grid) for tile rectangles, one after
// another. Honest tiles sit on whole cells and never share one; tiles that do share a cell
// (overlapping, or merely not cell-aligned) are reported, and the caller draws in order instead.
// The work is bounded by the grid's cell count: the first shared cell stops it.
class TileCells {
 public:
  // Starts over for a gridWidth x gridHeight grid (each 1..65535); false when the grid has more
  // than maxCells cells.
  bool reset(int gridWidth, int gridHeight, int cellSize, size_t maxCells);
  // Claims the cells of the tile [x, x + w) x [y, y + h), which lies inside the grid with w, h
  // >= 1. False when one of them was already claimed (the claim is then incomplete).
  bool claim(int x, int y, int w, int h);

 private:
  int cellSize_ = 1;
  int columns_ = 0;
  std::vector<uint8_t> claimed_;
};

}  // namespace px
