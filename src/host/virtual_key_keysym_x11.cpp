#include <X11/XF86keysym.h>
#include <X11/keysym.h>

#include <algorithm>
#include <iterator>

#include "host/virtual_key_keysym.h"

namespace px {
namespace {

struct KeyMapping {
  uint16_t virtualKey;
  uint32_t keysym;
  uint32_t extendedKeysym;  // 0: same as keysym
};

// Sorted by virtual key. Punctuation follows the US layout the virtual-key names are defined by.
constexpr KeyMapping kKeyTable[] = {
    {0x08, XK_BackSpace, 0},
    {0x09, XK_Tab, 0},
    {0x0C, XK_Clear, 0},
    {0x0D, XK_Return, XK_KP_Enter},
    {0x10, XK_Shift_L, 0},
    {0x11, XK_Control_L, XK_Control_R},
    {0x12, XK_Alt_L, XK_Alt_R},
    {0x13, XK_Pause, 0},
    {0x14, XK_Caps_Lock, 0},
    {0x1B, XK_Escape, 0},
    {0x20, XK_space, 0},
    {0x21, XK_Prior, 0},
    {0x22, XK_Next, 0},
    {0x23, XK_End, 0},
    {0x24, XK_Home, 0},
    {0x25, XK_Left, 0},
    {0x26, XK_Up, 0},
    {0x27, XK_Right, 0},
    {0x28, XK_Down, 0},
    {0x2C, XK_Print, 0},
    {0x2D, XK_Insert, 0},
    {0x2E, XK_Delete, 0},
    {0x2F, XK_Help, 0},
    {0x5B, XK_Super_L, 0},
    {0x5C, XK_Super_R, 0},
    {0x5D, XK_Menu, 0},
    {0x5F, XF86XK_Sleep, 0},
    {0x6A, XK_KP_Multiply, 0},
    {0x6B, XK_KP_Add, 0},
    {0x6C, XK_KP_Separator, 0},
    {0x6D, XK_KP_Subtract, 0},
    {0x6E, XK_KP_Decimal, 0},
    {0x6F, XK_KP_Divide, 0},
    {0x90, XK_Num_Lock, 0},
    {0x91, XK_Scroll_Lock, 0},
    {0xA0, XK_Shift_L, 0},
    {0xA1, XK_Shift_R, 0},
    {0xA2, XK_Control_L, 0},
    {0xA3, XK_Control_R, 0},
    {0xA4, XK_Alt_L, 0},
    {0xA5, XK_Alt_R, 0},
    {0xA6, XF86XK_Back, 0},
    {0xA7, XF86XK_Forward, 0},
    {0xA8, XF86XK_Refresh, 0},
    {0xA9, XF86XK_Stop, 0},
    {0xAA, XF86XK_Search, 0},
    {0xAB, XF86XK_Favorites, 0},
    {0xAC, XF86XK_HomePage, 0},
    {0xAD, XF86XK_AudioMute, 0},
    {0xAE, XF86XK_AudioLowerVolume, 0},
    {0xAF, XF86XK_AudioRaiseVolume, 0},
    {0xB0, XF86XK_AudioNext, 0},
    {0xB1, XF86XK_AudioPrev, 0},
    {0xB2, XF86XK_AudioStop, 0},
    {0xB3, XF86XK_AudioPlay, 0},
    {0xB4, XF86XK_Mail, 0},
    {0xBA, XK_semicolon, 0},
    {0xBB, XK_equal, 0},
    {0xBC, XK_comma, 0},
    {0xBD, XK_minus, 0},
    {0xBE, XK_period, 0},
    {0xBF, XK_slash, 0},
    {0xC0, XK_grave, 0},
    {0xC1, XK_slash, 0},     // ABNT C1, the Brazilian key left of right Shift
    {0xC2, XK_KP_Separator, 0},  // ABNT C2, the Brazilian keypad period
    {0xDB, XK_bracketleft, 0},
    {0xDC, XK_backslash, 0},
    {0xDD, XK_bracketright, 0},
    {0xDE, XK_apostrophe, 0},
    {0xE2, XK_less, 0},  // the extra key of ISO keyboards
};

// Runs of codes that map onto runs of keysyms.
struct KeyRange {
  uint16_t first;
  uint16_t last;
  uint32_t firstKeysym;
};
constexpr KeyRange kKeyRanges[] = {
    {0x30, 0x39, XK_0},
    {0x41, 0x5A, XK_a},
    {0x60, 0x69, XK_KP_0},
    {0x70, 0x87, XK_F1},
};

}  // namespace

uint32_t keysymForVirtualKey(uint16_t virtualKey, bool extended) {
  for (const KeyRange& r : kKeyRanges) {
    if (virtualKey >= r.first && virtualKey <= r.last) return r.firstKeysym + (virtualKey - r.first);
  }
  auto it = std::lower_bound(std::begin(kKeyTable), std::end(kKeyTable), virtualKey,
                             [](const KeyMapping& m, uint16_t vk) { return m.virtualKey < vk; });
  if (it == std::end(kKeyTable) || it->virtualKey != virtualKey) return 0;
  return extended && it->extendedKeysym != 0 ? it->extendedKeysym : it->keysym;
}

}  // namespace px
