// Injection of the technician's mouse and keyboard into this desktop. The arithmetic shared by
// every backend (clamping to the captured monitor, the 0..65535 absolute mapping, the action to
// event-flag table) is portable and lives here; the backends (SendInput on Windows, XTest on
// Linux) only deliver the result. An injector is used by the host's input thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "host/screen_capturer.h"
#include "protocol/input_events.h"

namespace px {

// Windows input flag values, kept here so the portable table and its tests need no Windows
// headers; input_injector_win.cpp checks them against the real ones.
inline constexpr uint32_t kMouseFlagMove = 0x0001;
inline constexpr uint32_t kMouseFlagLeftDown = 0x0002;
inline constexpr uint32_t kMouseFlagLeftUp = 0x0004;
inline constexpr uint32_t kMouseFlagRightDown = 0x0008;
inline constexpr uint32_t kMouseFlagRightUp = 0x0010;
inline constexpr uint32_t kMouseFlagMiddleDown = 0x0020;
inline constexpr uint32_t kMouseFlagMiddleUp = 0x0040;
inline constexpr uint32_t kMouseFlagXDown = 0x0080;
inline constexpr uint32_t kMouseFlagXUp = 0x0100;
inline constexpr uint32_t kMouseFlagWheel = 0x0800;
inline constexpr uint32_t kMouseFlagHWheel = 0x1000;
inline constexpr uint32_t kMouseFlagVirtualDesk = 0x4000;
inline constexpr uint32_t kMouseFlagAbsolute = 0x8000;
inline constexpr uint32_t kXButton1 = 1;
inline constexpr uint32_t kXButton2 = 2;
inline constexpr uint32_t kKeyFlagExtended = 0x0001;
inline constexpr uint32_t kKeyFlagUp = 0x0002;
inline constexpr uint32_t kKeyFlagScanCode = 0x0008;

// Keeps a position inside a monitor of the given desktop rectangle: below 0 becomes 0, at or past
// the size becomes size - 1 (a degenerate rectangle counts as 1 x 1).
MouseEvent clampToMonitor(MouseEvent e, const PixelRect& monitor);

// The virtual desktop: origin and size in pixels (sizes below 1 count as 1).
struct VirtualScreen {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 1;
  int32_t height = 1;
};

// One SendInput mouse record, computed without Windows types.
struct MouseInjection {
  int32_t dx = 0;  // 0..65535 across the virtual desktop
  int32_t dy = 0;
  uint32_t flags = 0;
  uint32_t mouseData = 0;  // XBUTTON1/2, or the wheel delta as its two's-complement bits
};
// The record for an already clamped event on `monitor`, a desktop rectangle inside `screen`.
MouseInjection mouseInjection(const MouseEvent& e, const PixelRect& monitor,
                              const VirtualScreen& screen);

// One SendInput keyboard record.
struct KeyInjection {
  uint16_t virtualKey = 0;
  uint16_t scanCode = 0;
  uint32_t flags = 0;
};
KeyInjection keyInjection(const KeyEvent& e);

// Turns wheel deltas into whole notches, keeping the remainder, so fine-grained deltas (touch pads
// send fractions of 120) add up instead of each counting as a notch. For platforms that inject
// notches (X11 buttons 4 to 7).
class WheelAccumulator {
 public:
  // Whole notches in this delta plus the remainder of earlier ones; positive away / right.
  int notches(int32_t delta);

 private:
  int64_t remainder_ = 0;
};

class InputInjector {
 public:
  virtual ~InputInjector() = default;
  // Clamps the event to `monitor` (the captured monitor's desktop rectangle, read under the
  // session's lock just before the call) and injects it. Failures are logged, not reported.
  virtual void injectMouse(const MouseEvent& e, const PixelRect& monitor) = 0;
  virtual void injectKey(const KeyEvent& e) = 0;
};

// SendInput on Windows; XTest on the display named by DISPLAY on Linux. Null when the platform
// cannot inject (the reason is logged).
std::unique_ptr<InputInjector> createInputInjector();

}  // namespace px
