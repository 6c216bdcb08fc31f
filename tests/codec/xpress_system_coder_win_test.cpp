// With the Windows Compression API present, its output and ours must be interchangeable.
#include <gtest/gtest.h>

#include <random>

#include "codec/xpress.h"
#include "codec/xpress_buffer_mode.h"

namespace px {
namespace {

Bytes sampleInputs(int which) {
  std::mt19937 rng{uint32_t(which)};
  Bytes out(which == 0 ? 16384 : 200000);
  for (size_t i = 0; i < out.size(); ++i) out[i] = uint8_t(i % 4 == 3 ? 255 : (rng() % 8) * 16);
  return out;
}

TEST(XpressSystemCoderTest, WindowsAndOurCoderReadEachOther) {
  XpressCompressor system;
  if (!system.usesSystemCoder()) GTEST_SKIP() << "the Compression API is missing (Wine)";
  XpressDecompressor systemDecoder;
  ASSERT_TRUE(systemDecoder.usesSystemCoder());
  xpress::PortableXpressCompressor ours;
  xpress::PortableXpressDecompressor ourDecoder;
  for (int which = 0; which < 2; ++which) {
    const Bytes input = sampleInputs(which);
    Bytes packed, out;
    ASSERT_TRUE(system.compress(input, packed));
    ASSERT_TRUE(ourDecoder.decompress(packed, input.size(), out));
    EXPECT_TRUE(out == input);
    ASSERT_TRUE(ours.compress(input, packed));
    ASSERT_TRUE(systemDecoder.decompress(packed, input.size(), out));
    EXPECT_TRUE(out == input);
  }
}

}  // namespace
}  // namespace px
