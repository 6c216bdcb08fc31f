#include "host/input_injector.h"

#include <algorithm>

namespace px {
namespace {

struct ButtonFlags {
  uint32_t bit;
  uint32_t down;
  uint32_t up;
};

constexpr ButtonFlags kButtonTable[] = {
    {kButtonLeft, kMouseFlagLeftDown, kMouseFlagLeftUp},
    {kButtonRight, kMouseFlagRightDown, kMouseFlagRightUp},
    {kButtonMiddle, kMouseFlagMiddleDown, kMouseFlagMiddleUp},
    {kButtonX1, kMouseFlagXDown, kMouseFlagXUp},
    {kButtonX2, kMouseFlagXDown, kMouseFlagXUp},
};

uint32_t buttonFlags(uint32_t buttons, bool down) {
  uint32_t flags = kMouseFlagMove;
  for (const ButtonFlags& b : kButtonTable) {
    if (buttons & b.bit) flags |= down ? b.down : b.up;
  }
  return flags;
}

uint32_t extraButtonData(uint32_t buttons) {
  if (buttons & kButtonX2) return kXButton2;
  if (buttons & kButtonX1) return kXButton1;
  return 0;
}

int32_t toAbsolute(int64_t offset, int32_t size) {
  const int32_t span = std::max(size, 1) - 1;
  // A one-pixel desktop has no span; its only pixel is 0.
  if (span == 0) return 0;
  const double v = double(offset) * 65535.0 / double(span);
  // A monitor outside the reported desktop (a display change in between) must not overflow.
  return int32_t(std::clamp(v, -2147483648.0, 2147483647.0));
}

}  // namespace

MouseEvent clampToMonitor(MouseEvent e, const PixelRect& monitor) {
  const int32_t w = std::max(monitor.right - monitor.left, 1);
  const int32_t h = std::max(monitor.bottom - monitor.top, 1);
  e.x = std::clamp(e.x, 0, w - 1);
  e.y = std::clamp(e.y, 0, h - 1);
  return e;
}

MouseInjection mouseInjection(const MouseEvent& e, const PixelRect& monitor,
                              const VirtualScreen& screen) {
  MouseInjection m;
  m.dx = toAbsolute(int64_t(e.x) + monitor.left - screen.x, screen.width);
  m.dy = toAbsolute(int64_t(e.y) + monitor.top - screen.y, screen.height);
  m.flags = kMouseFlagAbsolute | kMouseFlagVirtualDesk;
  switch (e.action) {
    case kMouseMove:
      m.flags |= kMouseFlagMove;
      break;
    case kMousePress:
    case kMouseRelease:
      m.flags |= buttonFlags(e.buttons, e.action == kMousePress);
      m.mouseData = extraButtonData(e.buttons);
      break;
    case kMouseWheel:
      m.flags |= kMouseFlagWheel;
      m.mouseData = uint32_t(e.wheelDelta);
      break;
    case kMouseHWheel:
      m.flags |= kMouseFlagHWheel;
      m.mouseData = uint32_t(e.wheelDelta);
      break;
    default:
      break;
  }
  return m;
}

KeyInjection keyInjection(const KeyEvent& e) {
  KeyInjection k{e.virtualKey, e.scanCode, 0};
  if (!e.down) k.flags |= kKeyFlagUp;
  if (e.extended) k.flags |= kKeyFlagExtended;
  if (e.scanCode != 0) k.flags |= kKeyFlagScanCode;
  return k;
}

int WheelAccumulator::notches(int32_t delta) {
  constexpr int64_t kNotch = 120;
  remainder_ += delta;
  const int64_t whole = remainder_ / kNotch;  // toward zero, so the remainder keeps its sign
  remainder_ -= whole * kNotch;
  return int(whole);
}

}  // namespace px
