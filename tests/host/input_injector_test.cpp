#include "host/input_injector.h"

#include <gtest/gtest.h>

#include "host/recording_input_injector.h"

namespace px {
namespace {

constexpr PixelRect kPrimary{0, 0, 1920, 1080};
constexpr VirtualScreen kPrimaryOnly{0, 0, 1920, 1080};

TEST(InputInjector, ClampsToTheMonitor) {
  struct Case {
    int32_t x, y;
    PixelRect monitor;
    int32_t cx, cy;
  } cases[] = {
      {-5, 10, kPrimary, 0, 10},
      {5000, 10, kPrimary, 1919, 10},
      {1920, 1080, kPrimary, 1919, 1079},
      {1919, -1, kPrimary, 1919, 0},
      {7, 7, {-1920, 0, 0, 1080}, 7, 7},
      {50, 50, {10, 10, 10, 10}, 0, 0},  // degenerate rectangle counts as 1 x 1
      {INT32_MIN, INT32_MAX, kPrimary, 0, 1079},
  };
  for (const Case& c : cases) {
    MouseEvent e = clampToMonitor(MouseEvent{c.x, c.y}, c.monitor);
    EXPECT_EQ(e.x, c.cx) << c.x;
    EXPECT_EQ(e.y, c.cy) << c.y;
  }
}

TEST(InputInjector, MapsToTheAbsoluteVirtualDesktop) {
  struct Case {
    const char* name;
    int32_t x, y;
    PixelRect monitor;
    VirtualScreen screen;
    int32_t dx, dy;
  } cases[] = {
      {"origin", 0, 0, kPrimary, kPrimaryOnly, 0, 0},
      {"far corner", 1919, 1079, kPrimary, kPrimaryOnly, 65535, 65535},
      {"middle truncates", 960, 540, kPrimary, kPrimaryOnly, 32784, 32797},
      // A second monitor left of the primary: the virtual desktop starts at -1920.
      {"primary with left neighbour", 0, 0, kPrimary, {-1920, 0, 3840, 1080},
       int32_t(1920 * 65535.0 / 3839), 0},
      {"left neighbour origin", 0, 0, {-1920, 0, 0, 1080}, {-1920, 0, 3840, 1080}, 0, 0},
      {"one-pixel desktop", 0, 0, {0, 0, 1, 1}, {0, 0, 1, 1}, 0, 0},
  };
  for (const Case& c : cases) {
    MouseInjection m = mouseInjection(MouseEvent{c.x, c.y}, c.monitor, c.screen);
    EXPECT_EQ(m.dx, c.dx) << c.name;
    EXPECT_EQ(m.dy, c.dy) << c.name;
  }
}

TEST(InputInjector, ActionsGiveTheirFlags) {
  constexpr uint32_t kAbs = kMouseFlagAbsolute | kMouseFlagVirtualDesk;
  struct Case {
    const char* name;
    uint8_t action;
    uint32_t buttons;
    int32_t wheel;
    uint32_t flags;
    uint32_t data;
  } cases[] = {
      {"move", kMouseMove, kButtonLeft, 0, kAbs | kMouseFlagMove, 0},
      {"left down", kMousePress, kButtonLeft, 0, kAbs | kMouseFlagMove | kMouseFlagLeftDown, 0},
      {"left and right down", kMousePress, kButtonLeft | kButtonRight, 0,
       kAbs | kMouseFlagMove | kMouseFlagLeftDown | kMouseFlagRightDown, 0},
      {"middle up", kMouseRelease, kButtonMiddle, 0, kAbs | kMouseFlagMove | kMouseFlagMiddleUp, 0},
      {"x1 down", kMousePress, kButtonX1, 0, kAbs | kMouseFlagMove | kMouseFlagXDown, kXButton1},
      {"x2 up", kMouseRelease, kButtonX2, 0, kAbs | kMouseFlagMove | kMouseFlagXUp, kXButton2},
      {"both extras: x2 wins", kMousePress, kButtonX1 | kButtonX2, 0,
       kAbs | kMouseFlagMove | kMouseFlagXDown, kXButton2},
      {"press without buttons still moves", kMousePress, 0, 0, kAbs | kMouseFlagMove, 0},
      {"wheel does not move", kMouseWheel, 0, -120, kAbs | kMouseFlagWheel, uint32_t(-120)},
      {"horizontal wheel", kMouseHWheel, kButtonLeft, 240, kAbs | kMouseFlagHWheel, 240},
      {"unknown action", 9, kButtonLeft, 120, kAbs, 0},
  };
  for (const Case& c : cases) {
    MouseEvent e{10, 10, c.buttons, c.wheel, c.action};
    MouseInjection m = mouseInjection(e, kPrimary, kPrimaryOnly);
    EXPECT_EQ(m.flags, c.flags) << c.name;
    EXPECT_EQ(m.mouseData, c.data) << c.name;
  }
}

TEST(InputInjector, KeyFlags) {
  struct Case {
    const char* name;
    KeyEvent e;
    uint32_t flags;
  } cases[] = {
      {"down by virtual key alone", {0x41, 0, true, false}, 0},
      {"up", {0x41, 0, false, false}, kKeyFlagUp},
      {"extended up", {0x25, 0, false, true}, kKeyFlagUp | kKeyFlagExtended},
      {"scan code", {0x41, 0x1E, true, false}, kKeyFlagScanCode},
  };
  for (const Case& c : cases) {
    KeyInjection k = keyInjection(c.e);
    EXPECT_EQ(k.flags, c.flags) << c.name;
    EXPECT_EQ(k.virtualKey, c.e.virtualKey) << c.name;
    EXPECT_EQ(k.scanCode, c.e.scanCode) << c.name;
  }
}

TEST(InputInjector, RecorderClampsBeforeMapping) {
  RecordingInputInjector injector(VirtualScreen{0, 0, 1920, 1080});
  injector.injectMouse(MouseEvent{5000, -3, 0, 0, kMouseMove}, kPrimary);
  ASSERT_EQ(injector.mouse.size(), 1u);
  EXPECT_EQ(injector.mouse[0].dx, 65535);
  EXPECT_EQ(injector.mouse[0].dy, 0);
}

TEST(InputInjector, WheelNotchesKeepTheRemainder) {
  WheelAccumulator wheel;
  struct Step {
    int32_t delta;
    int notches;
  } steps[] = {{120, 1}, {-240, -2}, {40, 0}, {40, 0}, {40, 1}, {-30, 0}, {-100, -1}, {-10, 0},
               {360, 2}};
  for (const Step& s : steps) EXPECT_EQ(wheel.notches(s.delta), s.notches) << s.delta;
}

}  // namespace
}  // namespace px
