#include "base/bytes.h"

namespace px {

void secureWipe(void* data, size_t size) {
  volatile uint8_t* p = static_cast<volatile uint8_t*>(data);
  while (size--) *p++ = 0;
}

bool constantTimeEqual(ByteView a, ByteView b) {
  if (a.size() != b.size()) return false;
  uint8_t diff = 0;
  for (size_t i = 0; i < a.size(); ++i) diff |= uint8_t(a[i] ^ b[i]);
  return diff == 0;
}

std::string toHex(ByteView data, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  out.reserve(data.size() * 2);
  for (uint8_t b : data) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

static int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool fromHex(std::string_view hex, Bytes& out) {
  if (hex.size() % 2 != 0) return false;
  Bytes result(hex.size() / 2);
  for (size_t i = 0; i < result.size(); ++i) {
    int hi = hexValue(hex[2 * i]), lo = hexValue(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    result[i] = uint8_t(hi << 4 | lo);
  }
  out = std::move(result);
  return true;
}

}  // namespace px
