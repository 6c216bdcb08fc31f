// Byte buffers and the little helpers every wire format here needs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace px {

using Bytes = std::vector<uint8_t>;
using ByteView = std::span<const uint8_t>;
using MutableByteView = std::span<uint8_t>;

inline ByteView asBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

inline uint16_t loadLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t loadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t loadLe64(const uint8_t* p) { return loadLe32(p) | (uint64_t(loadLe32(p + 4)) << 32); }
inline uint32_t loadBe32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

inline void storeLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void storeLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void storeLe64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void storeBe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}

inline void appendBytes(Bytes& out, ByteView data) { out.insert(out.end(), data.begin(), data.end()); }
inline void appendLe32(Bytes& out, uint32_t v) {
  uint8_t b[4];
  storeLe32(b, v);
  out.insert(out.end(), b, b + 4);
}

// Overwrites secrets in a way the optimiser may not drop.
void secureWipe(void* data, size_t size);
template <typename Container>
void secureWipe(Container& c) {
  secureWipe(c.data(), c.size() * sizeof(*c.data()));
}

// Compares without an early exit, so the time taken does not depend on where the inputs differ.
bool constantTimeEqual(ByteView a, ByteView b);

std::string toHex(ByteView data, bool upper = false);
// Accepts upper and lower case; false on odd length or a non-hex character.
bool fromHex(std::string_view hex, Bytes& out);

}  // namespace px
