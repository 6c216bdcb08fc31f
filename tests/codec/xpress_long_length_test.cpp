// Long match lengths: their bytes sit between the 16-bit words of the bit stream, exactly where a
// reader that fetches one word whenever fewer than 16 bits remain has its byte cursor. Streams
// here put them after every possible number of consumed bits, so a reader that fetches ahead
// must find them (and the next block's table) at that same place.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codec/xpress_huffman.h"

namespace px {
namespace {

using xpress::decodeHuffmanStream;

constexpr int kMatchLongOffset1 = 256 + 15;  // length escape, no offset bits: offset 1

void appendLe16(Bytes& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

// How a long length is written: one byte (18..272), 255 then 16 bits, or 255, 0, 0 then 32 bits.
enum class LengthForm { kShortest, kWord, kDword };

// One block's body: bits MSB-first in 16-bit little-endian words, raw bytes inserted where the
// word-at-a-time reader reads them: after the first ceil(C / 16) + 1 words once C bits are used.
class BlockWriter {
 public:
  void bits(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) bits_.push_back(((value >> i) & 1) != 0);
  }
  void raw(const Bytes& bytes) { inserts_.push_back({wordsFetched(), bytes}); }

  Bytes finish() const {
    const size_t words = wordsFetched();
    Bytes out;
    size_t next = 0;
    for (size_t w = 0; w < words; ++w) {
      for (; next < inserts_.size() && inserts_[next].beforeWord == w; ++next) {
        appendBytes(out, inserts_[next].bytes);
      }
      uint16_t word = 0;
      for (size_t b = 0; b < 16; ++b) {
        const size_t at = w * 16 + b;
        if (at < bits_.size() && bits_[at]) word |= uint16_t(0x8000 >> b);
      }
      appendLe16(out, word);
    }
    for (; next < inserts_.size(); ++next) appendBytes(out, inserts_[next].bytes);
    return out;
  }

 private:
  struct Insert {
    size_t beforeWord;
    Bytes bytes;
  };
  size_t wordsFetched() const { return bits_.empty() ? 2 : (bits_.size() + 15) / 16 + 1; }

  std::vector<bool> bits_;
  std::vector<Insert> inserts_;
};

// Canonical codes: 'A' = 00, 'B' = 01, the offset-1 long match = 10, 'C' = 110, 'D' = 111.
Bytes codeTable() {
  Bytes t(xpress::kTableBytes, 0);
  auto set = [&](int symbol, int length) {
    t[symbol / 2] |= uint8_t(length << (symbol % 2 ? 4 : 0));
  };
  set('A', 2);
  set('B', 2);
  set('C', 3);
  set('D', 3);
  set(kMatchLongOffset1, 2);
  return t;
}

// Writes literals and long matches, and the bytes they decode to.
struct StreamBuilder {
  BlockWriter block;
  Bytes expected;
  std::mt19937 random{7};

  void literals(int count) {
    static const struct {
      uint8_t byte;
      uint32_t code;
      int length;
    } kCodes[] = {{'A', 0, 2}, {'B', 1, 2}, {'C', 6, 3}, {'D', 7, 3}};
    for (int i = 0; i < count; ++i) {
      const auto& c = kCodes[random() % 4];
      block.bits(c.code, c.length);
      expected.push_back(c.byte);
    }
  }
  // A match of `length` (at least 18) repeating the last byte.
  void longMatch(uint32_t length, LengthForm form = LengthForm::kShortest) {
    block.bits(2, 2);
    Bytes raw;
    if (form == LengthForm::kShortest && length - 18 < 255) {
      raw.push_back(uint8_t(length - 18));
    } else if (form != LengthForm::kDword && length - 3 <= 0xFFFF) {
      raw.push_back(255);
      appendLe16(raw, uint16_t(length - 3));
    } else {
      raw = {255, 0, 0};
      appendLe32(raw, length - 3);
    }
    block.raw(raw);
    expected.insert(expected.end(), length, expected.back());
  }
  Bytes endBlock() {
    Bytes out = codeTable();
    appendBytes(out, block.finish());
    block = {};
    return out;
  }
};

TEST(XpressLongLengthTest, LengthBytesAfterEveryBitCount) {
  // Block 1 ends at 64 KiB after `after` literals, so its last word count varies too; block 2
  // has all three length forms back to back and a lone length byte between literals.
  for (int before = 1; before <= 40; ++before) {
    for (int after = 0; after <= 17; after += 3) {
      SCOPED_TRACE(testing::Message() << before << " literals before, " << after << " after");
      StreamBuilder s;
      s.literals(before);
      s.longMatch(uint32_t(xpress::kBlockOutput) - before - after);
      s.literals(after);
      Bytes stream = s.endBlock();
      s.literals(before % 7 + 1);
      s.longMatch(18);
      s.longMatch(300, LengthForm::kWord);
      s.longMatch(1000, LengthForm::kDword);
      s.literals(after + 1);
      s.longMatch(18 + 254);
      s.literals(5);
      appendBytes(stream, s.endBlock());
      Bytes out(s.expected.size());
      ASSERT_TRUE(decodeHuffmanStream(stream, out));
      ASSERT_TRUE(out == s.expected);
    }
  }
}

TEST(XpressLongLengthTest, LengthByteCutOffAfterTheLastWord) {
  StreamBuilder s;
  s.literals(9);
  s.longMatch(40);
  Bytes stream = s.endBlock();
  Bytes out(s.expected.size());
  ASSERT_TRUE(decodeHuffmanStream(stream, out));
  stream.pop_back();  // the length byte is the stream's last byte
  EXPECT_FALSE(decodeHuffmanStream(stream, out));
}

}  // namespace
}  // namespace px
