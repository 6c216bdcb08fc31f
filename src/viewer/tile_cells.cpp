#include "viewer/tile_cells.h"

#include <algorithm>

namespace px {

bool TileCells::reset(int gridWidth, int gridHeight, int cellSize, size_t maxCells) {
  cellSize_ = cellSize;
  columns_ = (gridWidth + cellSize - 1) / cellSize;
  const size_t rows = size_t(gridHeight + cellSize - 1) / size_t(cellSize);
  if (size_t(columns_) * rows > maxCells) return false;
  claimed_.assign(size_t(columns_) * rows, 0);
  return true;
}

bool TileCells::claim(int x, int y, int w, int h) {
  const int left = x / cellSize_, right = (x + w - 1) / cellSize_;
  const int top = y / cellSize_, bottom = (y + h - 1) / cellSize_;
  for (int row = top; row <= bottom; ++row) {
    uint8_t* cell = claimed_.data() + size_t(row) * columns_;
    for (int col = left; col <= right; ++col) {
      if (cell[col]) return false;
      cell[col] = 1;
    }
  }
  return true;
}

}  // namespace px
