// The chat windows' messages: a line arrived, Enter pressed in the edit box. Their numbers belong
// to the shell's table of WM_APP messages (app/posted_messages.h), which takes them from here so
// the two cannot drift apart.
#pragma once

#include <cstdint>

namespace px {

// Posted to a chat window when a line arrived: to the main window with the line (lParam: a
// std::string* in UTF-8), to a viewer window with none (the line is already in its chat log).
inline constexpr uint32_t WM_APP_CHAT = 0x8006;
// Sent, not posted, by a chat edit box to its parent; no parameters.
inline constexpr uint32_t WM_APP_CHAT_SEND = 0x8007;

}  // namespace px
