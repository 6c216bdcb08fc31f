#include "viewer/tile_cells.h"

#include <gtest/gtest.h>

#include <vector>

namespace px {
namespace {

struct Rect {
  int x, y, w, h;
};

TEST(TileCellsTest, ClaimsSucceedOnlyWhileNoCellIsShared) {
  struct Case {
    const char* name;
    std::vector<Rect> tiles;
    bool disjoint;
  } cases[] = {
      {"cell-aligned tiles and a merged rectangle",
       {{0, 0, 64, 64}, {64, 0, 64, 64}, {0, 64, 128, 64}, {128, 0, 22, 100}},
       true},
      {"edge tiles smaller than a cell", {{128, 64, 22, 36}, {0, 64, 64, 36}}, true},
      {"the same tile twice", {{64, 0, 64, 64}, {64, 0, 64, 64}}, false},
      {"overlap by one pixel", {{0, 0, 65, 64}, {64, 0, 64, 64}}, false},
      {"disjoint but sharing a cell", {{0, 0, 10, 10}, {20, 20, 10, 10}}, false},
  };
  TileCells cells;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(cells.reset(150, 100, 64, 1000));
    bool all = true;
    for (const Rect& r : c.tiles) all = all && cells.claim(r.x, r.y, r.w, r.h);
    EXPECT_EQ(all, c.disjoint);
  }
}

TEST(TileCellsTest, GridWithTooManyCellsIsRefused) {
  TileCells cells;
  EXPECT_TRUE(cells.reset(64 * 10, 64 * 10, 64, 100));
  EXPECT_FALSE(cells.reset(64 * 10 + 1, 64 * 10, 64, 100));
}

}  // namespace
}  // namespace px
