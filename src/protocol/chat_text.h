// Chat lines as both ends show them: the text of a ChatText message made fit for one line, and
// the history the host chat window and the viewer's chat panel keep.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace px {

inline constexpr size_t kChatHistoryLimit = 200;

// One chat line: typed on this computer or received, and its UTF-8 text.
struct ChatEntry {
  bool sentByMe = false;
  std::string text;
};

// CR, LF and TAB become spaces and the ends are trimmed of spaces; any other control character
// (a remote peer's ESC, NUL, DEL) becomes U+FFFD, so it shows as a plain mark instead of acting.
// Empty means nothing to show or send.
std::string normalizeChatText(std::string_view text);

// At most kChatHistoryLimit entries; a full history drops its oldest entry first.
class ChatHistory {
 public:
  void add(ChatEntry entry);
  void clear() { entries_.clear(); }
  const std::deque<ChatEntry>& entries() const { return entries_; }

 private:
  std::deque<ChatEntry> entries_;
};

}  // namespace px
