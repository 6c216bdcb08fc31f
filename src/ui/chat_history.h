// The host's chat history and the clean-up of chat text. Main thread only.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "ui/chat_entry.h"

namespace px {

class ChatHistory {
 public:
  // Adding to a full history first drops the oldest entry.
  void add(bool local, std::u16string text);
  void clear() { entries_.clear(); }
  const std::deque<ChatEntry>& entries() const { return entries_; }

 private:
  std::deque<ChatEntry> entries_;  // oldest first, at most kMaxChatEntries
};

// Every CR, LF and TAB becomes a space, then spaces are trimmed at both ends.
std::u16string normalizeChatText(std::u16string_view text);

// The text as it is drawn: nothing in it acts on the layout. Other C0 controls and DEL become
// their visible control pictures (U+2400 block); C1 controls, bidirectional embeddings,
// overrides and isolates, and unpaired surrogates become U+FFFD.
std::u16string chatDisplayText(std::u16string_view text);

}  // namespace px
