// The message a chat edit box sends to its parent window when Enter is pressed. Its number belongs
// to the shell's table of WM_APP messages (app/posted_messages.h), which takes it from here so the
// two cannot drift apart.
#pragma once

#include <cstdint>

namespace px {

// Sent, not posted, by a chat edit box to its parent; no parameters.
inline constexpr uint32_t WM_APP_CHAT_SEND = 0x8007;

}  // namespace px
