// What the viewer's low-level keyboard hook does with one keyboard event: pass it on untouched,
// send it to the host and pass it on (the viewer window then swallows it), or send it and keep
// it from the local system (keys that would otherwise act on this computer: the Windows keys,
// Alt+Tab, Alt+Esc, Ctrl+Esc). Values are the window system's own, so the hook passes them
// straight through.
#pragma once

#include <cstdint>

#include "protocol/input_events.h"

namespace px {

// Messages a low-level keyboard hook receives.
inline constexpr uint32_t kMsgKeyDown = 0x0100;
inline constexpr uint32_t kMsgKeyUp = 0x0101;
inline constexpr uint32_t kMsgSysKeyDown = 0x0104;
inline constexpr uint32_t kMsgSysKeyUp = 0x0105;

// Flags of the low-level event.
inline constexpr uint32_t kKeyFlagExtended = 0x01;
inline constexpr uint32_t kKeyFlagAltDown = 0x20;

inline constexpr uint16_t kVkTab = 0x09;
inline constexpr uint16_t kVkEscape = 0x1B;
inline constexpr uint16_t kVkLeftWindows = 0x5B;
inline constexpr uint16_t kVkRightWindows = 0x5C;
inline constexpr uint16_t kVkApplications = 0x5D;

struct KeyHookEvent {
  bool action = true;  // the hook code is HC_ACTION
  uint32_t message = kMsgKeyDown;
  uint16_t virtualKey = 0;
  uint16_t scanCode = 0;
  uint32_t flags = 0;
};

struct KeyHookContext {
  bool viewerForeground = false;  // the foreground window is this session's viewer window
  bool chatEditFocused = false;   // typing into the chat stays local
  bool controlHeld = false;       // asynchronous state of the Control key
};

enum class KeyHookVerdict { kPassOn, kSendAndPassOn, kSendAndSwallow };

struct KeyHookDecision {
  KeyHookVerdict verdict = KeyHookVerdict::kPassOn;
  KeyEvent key;  // what to send, unless kPassOn
};

KeyHookDecision decideKeyHook(const KeyHookEvent& event, const KeyHookContext& context);

// Whether the local system must not see this event once it was sent.
bool keepFromLocalSystem(uint16_t virtualKey, uint32_t flags, bool controlHeld);

// The viewer window lost the keyboard focus: keys still held on the host must be released
// unless the focus only moved between the viewer window and its view (either may be null).
bool focusLossReleasesKeys(const void* gainingFocus, const void* viewerWindow,
                           const void* viewWindow);

}  // namespace px
