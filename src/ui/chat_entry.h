// One chat line, shared by the host chat window and the viewer's chat panel.
#pragma once

#include <cstddef>
#include <string>

namespace px {

struct ChatEntry {
  bool local = false;  // typed on this computer (sent), else received
  std::u16string text;
};

// Both chat lists keep the newest 200 lines.
inline constexpr size_t kMaxChatEntries = 200;

}  // namespace px
