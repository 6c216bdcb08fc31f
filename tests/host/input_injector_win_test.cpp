#include <gtest/gtest.h>

#include <windows.h>

#include "host/input_injector.h"

namespace px {
namespace {

// An absolute move lands on the pixel asked for, on the primary monitor.
TEST(InputInjectorWin, MoveReachesThePixel) {
  auto injector = createInputInjector();
  ASSERT_NE(injector, nullptr);
  const PixelRect primary{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (primary.width() < 200 || primary.height() < 200) GTEST_SKIP() << "no desktop to move on";
  struct Case {
    int32_t x, y, expectX, expectY;
  } cases[] = {{100, 120, 100, 120}, {-5, 50, 0, 50}, {5000, 60, primary.right - 1, 60}};
  for (const Case& c : cases) {
    injector->injectMouse(MouseEvent{c.x, c.y, 0, 0, kMouseMove}, primary);
    POINT p{};
    for (int i = 0; i < 50; ++i) {
      GetCursorPos(&p);
      if (p.x == c.expectX && p.y == c.expectY) break;
      Sleep(10);
    }
    // The 0..65535 scale can land one pixel off on some desktop widths.
    EXPECT_NEAR(p.x, c.expectX, 1) << c.x;
    EXPECT_NEAR(p.y, c.expectY, 1) << c.y;
  }
}

}  // namespace
}  // namespace px
