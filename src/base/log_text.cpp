#include "base/log_text.h"

#include <algorithm>
#include <cstdint>

namespace px {
namespace {

void appendHexByte(std::string& out, uint8_t byte) {
  constexpr char kDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 15];
}

bool isContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at the start of `text`, or 0 (overlong forms,
// surrogates and values past U+10FFFF are not well formed).
size_t utf8SequenceLength(std::string_view text) {
  const auto at = [&](size_t i) { return uint8_t(text[i]); };
  const uint8_t lead = at(0);
  size_t length = 0;
  uint8_t low = 0x80, high = 0xBF;  // bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || at(1) < low || at(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!isContinuation(at(i))) return 0;
  }
  return length;
}

bool isC1Control(std::string_view sequence) {
  return sequence.size() == 2 && uint8_t(sequence[0]) == 0xC2 && uint8_t(sequence[1]) < 0xA0;
}

}  // namespace

std::string escapeForLog(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const uint8_t byte = uint8_t(text[i]);
    if (byte >= 0x80) {
      const size_t length = utf8SequenceLength(text.substr(i));
      const std::string_view sequence = text.substr(i, length);
      if (length == 0 || isC1Control(sequence)) {
        for (size_t k = 0; k < std::max<size_t>(length, 1); ++k) appendHexByte(out, uint8_t(text[i + k]));
        i += std::max<size_t>(length, 1);
      } else {
        out += sequence;
        i += length;
      }
      continue;
    }
    switch (byte) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          appendHexByte(out, byte);
        } else {
          out += char(byte);
        }
    }
    ++i;
  }
  return out;
}

}  // namespace px
