// The technician's mouse and keyboard events as they travel in MouseInput and KeyInput messages.
// The host's injector consumes them; the viewer produces them.
#pragma once

#include <cstdint>

namespace px {

// The fields of a MouseInput message.
struct MouseEvent {
  int32_t x = 0;  // pixels of the captured monitor, 0 = its left edge
  int32_t y = 0;
  uint32_t buttons = 0;  // bit set: 1 left, 2 right, 4 middle, 8 first extra, 16 second extra
  int32_t wheelDelta = 0;  // 120 per notch, positive away from the user / to the right
  uint8_t action = 0;      // 0 move, 1 pressed, 2 released, 3 vertical wheel, 4 horizontal wheel
};

// The fields of a KeyInput message.
struct KeyEvent {
  uint16_t virtualKey = 0;  // Windows virtual-key code
  uint16_t scanCode = 0;    // 0 when the viewer has none
  bool down = false;
  bool extended = false;
};

enum MouseActionCode : uint8_t { kMouseMove = 0, kMousePress = 1, kMouseRelease = 2,
                                 kMouseWheel = 3, kMouseHWheel = 4 };
enum MouseButtonBit : uint32_t { kButtonLeft = 1, kButtonRight = 2, kButtonMiddle = 4,
                                 kButtonX1 = 8, kButtonX2 = 16 };

}  // namespace px
