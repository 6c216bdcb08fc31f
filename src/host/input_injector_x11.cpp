// XTest injection on the X display. Positions are root-window pixels: the captured monitor's
// desktop rectangle is in the same coordinates, so no absolute mapping is needed here.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>

#include "base/log.h"
#include "host/virtual_key_keysym.h"
#include "host/x11_factories.h"
#include "host/xlib_support_x11.h"

namespace px {
namespace {

struct ButtonMapping {
  uint32_t bit;
  unsigned xButton;
};
// X numbers the middle button 2 and the right one 3; the extra (back, forward) buttons are 8, 9.
constexpr ButtonMapping kButtons[] = {
    {kButtonLeft, 1}, {kButtonMiddle, 2}, {kButtonRight, 3}, {kButtonX1, 8}, {kButtonX2, 9}};
constexpr unsigned kWheelUp = 4, kWheelDown = 5, kWheelLeft = 6, kWheelRight = 7;

constexpr uint16_t kVkPause = 0x13;
// Set-1 scan codes below this, without the extended prefix, are the main block whose X key codes
// are the scan code + 8 in both the evdev and the older XFree86 key code sets.
constexpr uint16_t kFirstNonBaseScanCode = 0x59;
constexpr unsigned kScanCodeToKeycode = 8;

class X11InputInjector : public InputInjector {
 public:
  explicit X11InputInjector(DisplayPtr display) : display_(std::move(display)) {}

  void injectMouse(const MouseEvent& e, const PixelRect& monitor) override;
  void injectKey(const KeyEvent& e) override;

 private:
  void click(unsigned button, int times);
  KeyCode keycodeFor(const KeyEvent& e);

  DisplayPtr display_;
  WheelAccumulator verticalWheel_;
  WheelAccumulator horizontalWheel_;
};

void X11InputInjector::click(unsigned button, int times) {
  for (int i = 0; i < times; ++i) {
    XTestFakeButtonEvent(display_.get(), button, True, CurrentTime);
    XTestFakeButtonEvent(display_.get(), button, False, CurrentTime);
  }
}

void X11InputInjector::injectMouse(const MouseEvent& e, const PixelRect& monitor) {
  Display* d = display_.get();
  const MouseEvent c = clampToMonitor(e, monitor);
  const int x = monitor.left + c.x, y = monitor.top + c.y;
  switch (c.action) {
    case kMouseMove:
      XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
      break;
    case kMousePress:
    case kMouseRelease:
      XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
      for (const ButtonMapping& b : kButtons) {
        if (c.buttons & b.bit) {
          XTestFakeButtonEvent(d, b.xButton, c.action == kMousePress, CurrentTime);
        }
      }
      break;
    case kMouseWheel: {
      const int n = verticalWheel_.notches(c.wheelDelta);
      click(n > 0 ? kWheelUp : kWheelDown, std::abs(n));
      break;
    }
    case kMouseHWheel: {
      const int n = horizontalWheel_.notches(c.wheelDelta);
      click(n > 0 ? kWheelRight : kWheelLeft, std::abs(n));
      break;
    }
    default:
      break;  // unknown actions inject nothing
  }
  XFlush(d);
}

// Like SendInput with a scan code, a main-block key is injected by its physical position, so the
// host's own layout decides the character; other keys go by their virtual-key code.
KeyCode X11InputInjector::keycodeFor(const KeyEvent& e) {
  if (e.scanCode != 0 && e.scanCode < kFirstNonBaseScanCode && !e.extended &&
      e.virtualKey != kVkPause) {
    return KeyCode(e.scanCode + kScanCodeToKeycode);
  }
  const uint32_t keysym = keysymForVirtualKey(e.virtualKey, e.extended);
  if (keysym == 0) return 0;
  KeyCode code = XKeysymToKeycode(display_.get(), keysym);
  // Layouts with AltGr have no Alt_R key; the level-3 shift is the same physical key.
  if (code == 0 && keysym == XK_Alt_R) code = XKeysymToKeycode(display_.get(), XK_ISO_Level3_Shift);
  return code;
}

void X11InputInjector::injectKey(const KeyEvent& e) {
  const KeyCode code = keycodeFor(e);
  if (code == 0) {
    logPrintf("[HOST] tecla sem correspondencia no X (vk 0x%02X)\n", e.virtualKey);
    return;
  }
  XTestFakeKeyEvent(display_.get(), code, e.down, CurrentTime);
  XFlush(display_.get());
}

}  // namespace

std::unique_ptr<InputInjector> createX11InputInjector(const std::string& displayName) {
  DisplayPtr display = openDisplay(displayName, "[HOST]");
  if (!display) return nullptr;
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display.get(), &eventBase, &errorBase, &major, &minor)) {
    logPrintf("[HOST] extensao XTEST ausente\n");
    return nullptr;
  }
  return std::make_unique<X11InputInjector>(std::move(display));
}

std::unique_ptr<InputInjector> createInputInjector() { return createX11InputInjector(""); }

}  // namespace px
