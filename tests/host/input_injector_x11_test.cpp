// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <vector>

#include "host/virtual_key_keysym.h"
#include "host/x11_factories.h"
#include "xvfb_test.h"

namespace px {
namespace {

constexpr PixelRect kScreen{0, 0, 1280, 720};

class InputInjectorX11 : public test::XvfbTest {
 protected:
  void SetUp() override {
    XvfbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // A focused window over the whole screen that hears every button and key.
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.event_mask = ButtonPressMask | ButtonReleaseMask | KeyPressMask | KeyReleaseMask;
    window_ = XCreateWindow(display_, root_, 0, 0, 1280, 720, 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWOverrideRedirect | CWEventMask, &a);
    XMapRaised(display_, window_);
    XSync(display_, False);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
    injector_ = createX11InputInjector(server_->display());
    ASSERT_NE(injector_, nullptr);
  }
  void TearDown() override {
    injector_.reset();
    XvfbTest::TearDown();
  }

  // The events the window received, waiting until `count` arrived or 2 s passed.
  std::vector<XEvent> events(size_t count) {
    std::vector<XEvent> out;
    for (int i = 0; i < 200 && out.size() < count; ++i) {
      XSync(display_, False);
      while (XPending(display_) > 0) {
        XEvent e;
        XNextEvent(display_, &e);
        out.push_back(e);
      }
      if (out.size() < count) usleep(10000);
    }
    return out;
  }

  void pointer(int& x, int& y) {
    Window r = 0, c = 0;
    int wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(display_, root_, &r, &c, &x, &y, &wx, &wy, &mask);
  }

  Window window_ = 0;
  std::unique_ptr<InputInjector> injector_;
};


TEST_F(InputInjectorX11, MovesAreClampedToTheMonitor) {
  struct Case {
    int32_t x, y;
    PixelRect monitor;
    int rootX, rootY;
  } cases[] = {
      {-5, 10, kScreen, 0, 10},
      {5000, 20, kScreen, 1279, 20},
      {10, 10, {640, 0, 1280, 720}, 650, 10},  // a monitor to the right of another
      {900, 900, {640, 0, 1280, 720}, 1279, 719},
  };
  for (const Case& c : cases) {
    injector_->injectMouse(MouseEvent{c.x, c.y, 0, 0, kMouseMove}, c.monitor);
    int x = 0, y = 0;
    for (int i = 0; i < 100 && (x != c.rootX || y != c.rootY); ++i) {
      usleep(5000);
      pointer(x, y);
    }
    EXPECT_EQ(x, c.rootX) << c.x;
    EXPECT_EQ(y, c.rootY) << c.y;
  }
}

TEST_F(InputInjectorX11, PressWithTwoButtonsPressesBothAtThePosition) {
  injector_->injectMouse(MouseEvent{150, 160, kButtonLeft | kButtonRight, 0, kMousePress}, kScreen);
  injector_->injectMouse(MouseEvent{150, 160, kButtonLeft | kButtonRight, 0, kMouseRelease},
                         kScreen);
  const std::vector<XEvent> got = events(4);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].type, ButtonPress);
  EXPECT_EQ(got[0].xbutton.button, 1u);
  EXPECT_EQ(got[0].xbutton.x_root, 150);
  EXPECT_EQ(got[0].xbutton.y_root, 160);
  EXPECT_EQ(got[1].type, ButtonPress);
  EXPECT_EQ(got[1].xbutton.button, 3u);
  EXPECT_EQ(got[2].type, ButtonRelease);
  EXPECT_EQ(got[3].type, ButtonRelease);
}

TEST_F(InputInjectorX11, WheelClicksNotchesWithoutMoving) {
  injector_->injectMouse(MouseEvent{100, 100, 0, 0, kMouseMove}, kScreen);
  injector_->injectMouse(MouseEvent{700, 500, 0, 240, kMouseWheel}, kScreen);
  injector_->injectMouse(MouseEvent{700, 500, 0, -120, kMouseHWheel}, kScreen);
  const std::vector<XEvent> got = events(6);
  ASSERT_EQ(got.size(), 6u);
  const unsigned buttons[] = {4, 4, 4, 4, 6, 6};  // up twice (press + release), left once
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].xbutton.button, buttons[i]) << i;
    EXPECT_EQ(got[i].xbutton.x_root, 100) << i;
  }
}

TEST_F(InputInjectorX11, KeysByScanCodeAndByVirtualKey) {
  const KeyEvent keys[] = {
      {0x41, 0x1E, true, false},   // 'A' by scan code
      {0x41, 0x1E, false, false},
      {0x25, 0, true, true},       // left arrow, virtual key only
      {0x25, 0, false, true},
      {0x0D, 0x1C, true, true},    // keypad Enter: extended, so by virtual key
  };
  for (const KeyEvent& k : keys) injector_->injectKey(k);
  const std::vector<XEvent> got = events(5);
  ASSERT_EQ(got.size(), 5u);
  const struct {
    int type;
    KeySym keysym;
  } expected[] = {{KeyPress, XK_a}, {KeyRelease, XK_a}, {KeyPress, XK_Left}, {KeyRelease, XK_Left},
                  {KeyPress, XK_KP_Enter}};
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].type, expected[i].type) << i;
    XKeyEvent key = got[i].xkey;
    EXPECT_EQ(XLookupKeysym(&key, 0), expected[i].keysym) << i;
  }
  // Leave no key held for the next test.
  injector_->injectKey(KeyEvent{0x0D, 0x1C, false, true});
}

TEST(VirtualKeyKeysym, Table) {
  struct Case {
    uint16_t vk;
    bool extended;
    uint32_t keysym;
  } cases[] = {
      {'A', false, XK_a}, {'Z', false, XK_z},         {'0', false, XK_0},
      {0x70, false, XK_F1}, {0x87, false, XK_F24},    {0x60, false, XK_KP_0},
      {0x0D, false, XK_Return}, {0x0D, true, XK_KP_Enter}, {0x11, true, XK_Control_R},
      {0xA5, false, XK_Alt_R}, {0xBA, false, XK_semicolon}, {0xE2, false, XK_less},
      {0x07, false, 0},     {0xFF, false, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(keysymForVirtualKey(c.vk, c.extended), c.keysym) << std::hex << c.vk;
  }
}

}  // namespace
}  // namespace px
