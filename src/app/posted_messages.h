// The messages worker threads post to the main window: WM_APP (0x8000) plus 1 to 9. The numbers
// are the contract between the workers and the window; records travel as heap pointers in
// lParam and belong to the receiver.
#pragma once

#include <cstdint>

#include "ui/chat_send_message.h"  // WM_APP_CHAT = 0x8006, WM_APP_CHAT_SEND = 0x8007

namespace px {

// lParam: SecureChannel* of a viewer that reached this computer.
inline constexpr uint32_t WM_APP_INCOMING = 0x8001;
// wParam 1 when the poster already put its own text on the status line.
inline constexpr uint32_t WM_APP_SESSION_ENDED = 0x8002;
inline constexpr uint32_t WM_APP_RELAY_CHANGED = 0x8003;
// lParam: HostSessionStart* of an admitted viewer.
inline constexpr uint32_t WM_APP_HOST_SESSION = 0x8004;
inline constexpr uint32_t WM_APP_RECENTS_CHANGED = 0x8005;
// 0x8006, WM_APP_CHAT (lParam: std::string* holding one chat line from the viewer, UTF-8), and
// 0x8007, WM_APP_CHAT_SEND, sent by a chat edit box to its parent on Enter, are defined with the
// chat edit box, in ui: the viewer window takes them too.
// lParam: LoginResult*.
inline constexpr uint32_t WM_APP_LOGIN_RESULT = 0x8008;
inline constexpr uint32_t WM_APP_LOGIN_EXPIRED = 0x8009;

}  // namespace px
