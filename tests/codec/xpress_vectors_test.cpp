// Output of the Windows Compression API must decode byte for byte: raw streams and buffer mode.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "base/atomic_file.h"
#include "codec/xpress.h"
#include "codec/xpress_buffer_mode.h"
#include "codec/xpress_huffman.h"
#include "support/test_paths.h"

namespace px {
namespace {

namespace fs = std::filesystem;

fs::path vectorsDir() {
  if (const char* env = std::getenv("PX_XPRESS_VECTORS"); env && *env) return env;
  return test::sharedDir() / "xpress-vectors";
}

Bytes readFile(const fs::path& path) {
  Bytes data;
  EXPECT_TRUE(readWholeFile(path, data, size_t(1) << 30)) << path;
  return data;
}

TEST(XpressVectorsTest, EveryWindowsRawStreamDecodesToItsOriginal) {
  const fs::path raw = vectorsDir() / "windows-raw";
  ASSERT_TRUE(fs::is_directory(raw)) << raw;
  int decoded = 0;
  for (const auto& entry : fs::directory_iterator(raw)) {
    if (entry.path().extension() != ".lzhuff") continue;
    const Bytes stream = readFile(entry.path());
    const Bytes expected =
        readFile(vectorsDir() / "original" / entry.path().filename().replace_extension(".decomp"));
    Bytes out(expected.size());
    EXPECT_TRUE(xpress::decodeHuffmanStream(stream, out)) << entry.path().filename();
    EXPECT_TRUE(out == expected) << entry.path().filename();
    ++decoded;
  }
  EXPECT_EQ(decoded, 61);
}

TEST(XpressVectorsTest, BufferModeFilesWithOutputsDecode) {
  const fs::path dir = vectorsDir() / "buffer-mode";
  ASSERT_TRUE(fs::is_directory(dir)) << dir;
  int decoded = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".xph") continue;
    const fs::path expectedPath = fs::path(entry.path()).replace_extension(".out");
    if (!fs::exists(expectedPath)) continue;
    const Bytes expected = readFile(expectedPath);
    Bytes out;
    XpressDecompressor decompressor;
    EXPECT_TRUE(decompressor.decompress(readFile(entry.path()), expected.size(), out));
    EXPECT_TRUE(out == expected) << entry.path().filename();
    ++decoded;
  }
  EXPECT_GE(decoded, 1);
}

// The large described vectors: "ABCD" repeated, then a tail. Checked in place, without building
// the expected output, so the 32-bit test build stays within its address space.
struct LargeVector {
  const char* file;
  size_t abcdRepeats;
  const char* tailKind;  // "x4k", "randtail" or ""
};

class XpressLargeVectorTest : public testing::TestWithParam<LargeVector> {};

TEST_P(XpressLargeVectorTest, DecodesToTheDescribedBytes) {
  const LargeVector& v = GetParam();
  const fs::path dir = vectorsDir() / "buffer-mode";
  Bytes tail;
  if (std::string(v.tailKind) == "x4k") tail.assign(4096, 'X');
  if (std::string(v.tailKind) == "randtail") tail = readFile(dir / "randtail320.bin");
  const size_t total = v.abcdRepeats * 4 + tail.size();

  Bytes out;
  XpressDecompressor decompressor;
  const Bytes input = readFile(dir / v.file);
  EXPECT_FALSE(decompressor.decompress(input, total - 1, out)) << "declared size above the bound";
  ASSERT_TRUE(decompressor.decompress(input, total, out));
  ASSERT_EQ(out.size(), total);
  size_t firstBad = total;
  for (size_t i = 0; i < v.abcdRepeats * 4 && firstBad == total; ++i) {
    if (out[i] != uint8_t('A' + i % 4)) firstBad = i;
  }
  EXPECT_EQ(firstBad, total);
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), out.begin() + v.abcdRepeats * 4));
}

INSTANTIATE_TEST_SUITE_P(Windows, XpressLargeVectorTest,
                         testing::Values(LargeVector{"abcd64m-x4k.xph", 16777216, "x4k"},
                                         LargeVector{"abcd64m-randtail320.xph", 16777216,
                                                     "randtail"},
                                         LargeVector{"abcd320m.xph", 83886080, ""}));

}  // namespace
}  // namespace px
