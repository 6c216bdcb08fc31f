#include "ui/chat_history.h"

#include <utility>

namespace px {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kControlPictures = 0x2400;  // U+2400 + c pictures C0 control c
constexpr char16_t kDeletePicture = 0x2421;

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool isBidiControl(char16_t c) {
  return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

void ChatHistory::add(bool local, std::u16string text) {
  if (entries_.size() >= kMaxChatEntries) entries_.pop_front();
  entries_.push_back({local, std::move(text)});
}

std::u16string normalizeChatText(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
  }
  const size_t begin = out.find_first_not_of(u' ');
  if (begin == std::u16string::npos) return {};
  const size_t end = out.find_last_not_of(u' ');
  return out.substr(begin, end - begin + 1);
}

std::u16string chatDisplayText(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x20) {
      out.push_back(char16_t(kControlPictures + c));
    } else if (c == 0x7F) {
      out.push_back(kDeletePicture);
    } else if ((c >= 0x80 && c <= 0x9F) || isBidiControl(c)) {
      out.push_back(kReplacement);
    } else if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      out.push_back(c);
      out.push_back(text[++i]);
    } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
      out.push_back(kReplacement);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace px
