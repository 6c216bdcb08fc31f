#include "protocol/chat_text.h"

namespace px {

std::string normalizeChatText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r' || c == '\n' || c == '\t') {
      out.push_back(' ');
    } else if (byte < 0x20 || byte == 0x7F) {
      out += "\xEF\xBF\xBD";  // U+FFFD
    } else {
      out.push_back(c);
    }
  }
  const size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

void ChatHistory::add(ChatEntry entry) {
  if (entries_.size() >= kChatHistoryLimit) entries_.pop_front();
  entries_.push_back(std::move(entry));
}

}  // namespace px
