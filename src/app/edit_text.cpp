#include "app/edit_text.h"

#include <algorithm>

namespace px {

std::u16string withinEditLimit(std::u16string_view text, size_t limit) {
  size_t n = std::min(text.size(), limit);
  const bool splitsPair = n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF;
  if (splitsPair) --n;
  return std::u16string(text.substr(0, n));
}

std::u16string lowerCaseLetters(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    const bool ascii = c >= u'A' && c <= u'Z';
    const bool latin1 = c >= 0xC0 && c <= 0xDE && c != 0xD7;  // À to Þ, without ×
    if (ascii || latin1) c = char16_t(c + 0x20);
  }
  return out;
}

std::string withoutSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != ' ') out.push_back(c);
  }
  return out;
}

}  // namespace px
