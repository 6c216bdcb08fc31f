// Hex literals of published test vectors, decoded for tests. A malformed literal is a bug in the
// table, so it fails the running test instead of yielding an empty buffer.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "base/bytes.h"

namespace px::test {

inline Bytes unhex(std::string_view hex) {
  Bytes out;
  EXPECT_TRUE(fromHex(hex, out)) << "bad hex literal: " << hex;
  return out;
}

template <size_t N>
std::array<uint8_t, N> unhexArray(std::string_view hex) {
  std::array<uint8_t, N> out{};
  const Bytes bytes = unhex(hex);
  EXPECT_EQ(bytes.size(), N) << "hex literal of the wrong length: " << hex;
  std::copy_n(bytes.begin(), std::min(bytes.size(), N), out.begin());
  return out;
}

}  // namespace px::test
