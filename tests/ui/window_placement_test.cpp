#include "ui/window_placement.h"

#include <gtest/gtest.h>

#include "geometry_print.h"

namespace px {
namespace {

TEST(UiWindowPlacementTest, LayoutSwitchCentresOnTheWindowAndStaysInTheWorkArea) {
  const RectPx work{0, 0, 1920, 1040};
  struct Case {
    const char* name;
    bool toHome;
    RectPx window;
    RectPx work;
    int dpi;
    RectPx expected;
  };
  const Case cases[] = {
      {"centred", true, {680, 370, 1240, 670}, work, 96, {500, 170, 1420, 870}},
      {"back", false, {500, 170, 1420, 870}, work, 96, {680, 370, 1240, 670}},
      {"144 DPI", true, {540, 295, 1380, 745}, work, 144, {270, 0, 1650, 1050}},
      {"past the right and bottom", true, {1300, 700, 1860, 1000}, work, 96, {1000, 340, 1920, 1040}},
      {"before the left and top", true, {0, 0, 560, 300}, work, 96, {0, 0, 920, 700}},
      {"second monitor", true, {2600, 400, 3160, 700}, {1920, 0, 3840, 1040}, 96,
       {2420, 200, 3340, 900}},
      {"monitor left of the primary", true, {-600, 10, -40, 310}, {-1920, 0, 0, 1040}, 96,
       {-920, 0, 0, 700}},
      {"larger than the work area", true, {100, 100, 660, 400}, {0, 0, 800, 600}, 96,
       {0, 0, 920, 700}},
      {"unknown DPI counts as 96", false, {500, 170, 1420, 870}, work, 0, {680, 370, 1240, 670}},
  };
  for (const Case& c : cases) {
    const RectPx got = layoutSwitchRect(c.toHome, c.window, c.work, c.dpi);
    EXPECT_EQ(got, c.expected) << c.name << ": " << got;
  }
}

TEST(UiWindowPlacementTest, CentringThereAndBackReturnsTheSameRectangle) {
  const RectPx work{-5000, -5000, 5000, 5000};
  for (int dpi : {96, 110, 120, 125, 144, 168, 192}) {
    for (RectPx compact : {RectPx{101, 57, 101 + 1, 57 + 1}, RectPx{-333, 17, -333 + 1, 17 + 1}}) {
      compact = layoutSwitchRect(false, compact, work, dpi);
      const RectPx home = layoutSwitchRect(true, compact, work, dpi);
      EXPECT_EQ(layoutSwitchRect(false, home, work, dpi), compact) << dpi;
      EXPECT_EQ(layoutSwitchRect(true, compact, work, dpi), home) << dpi;
    }
  }
}

}  // namespace
}  // namespace px
