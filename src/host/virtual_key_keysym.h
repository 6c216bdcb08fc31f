// Windows virtual-key codes, as the viewer sends them, to X keysyms. Linux only (the values are
// X keysyms), but free of Xlib so it can be tested on its own.
#pragma once

#include <cstdint>

namespace px {

// The keysym for a key press; `extended` picks the right-hand or keypad variant where Windows
// tells them apart by that flag only (Enter, Control, Alt). 0 when the key has no mapping.
uint32_t keysymForVirtualKey(uint16_t virtualKey, bool extended);

}  // namespace px
