// Table-driven decoder for the raw LZ77+Huffman stream.
#include <cstring>

#include "codec/xpress_huffman.h"

namespace px::xpress {
namespace {

constexpr int kFastBits = 11;  // codes up to this long resolve with one table look-up

// Decoding tables of one block. fast[] maps the next kFastBits bits to (symbol << 4 | length);
// 0 marks a longer code, resolved from the canonical first codes per length.
struct DecodeTable {
  uint16_t fast[1 << kFastBits];
  uint16_t firstCode[kMaxCodeLength + 2];
  uint16_t firstIndex[kMaxCodeLength + 2];
  uint16_t count[kMaxCodeLength + 1];
  uint16_t sorted[kSymbolCount];
  uint8_t lengths[kSymbolCount];
};

// False for an over-subscribed or incomplete code (every valid table fills the code space).
bool buildDecodeTable(const uint8_t* packed, DecodeTable& t) {
  std::memset(t.count, 0, sizeof t.count);
  for (int i = 0; i < kSymbolCount / 2; ++i) {
    t.lengths[2 * i] = packed[i] & 15;
    t.lengths[2 * i + 1] = packed[i] >> 4;
  }
  for (int s = 0; s < kSymbolCount; ++s) ++t.count[t.lengths[s]];
  t.count[0] = 0;
  uint32_t space = 0;
  uint32_t code = 0;
  uint16_t index = 0;
  for (int len = 1; len <= kMaxCodeLength; ++len) {
    space += uint32_t(t.count[len]) << (kMaxCodeLength - len);
    t.firstCode[len] = uint16_t(code);
    t.firstIndex[len] = index;
    index = uint16_t(index + t.count[len]);
    code = (code + t.count[len]) << 1;
  }
  if (space != (1u << kMaxCodeLength)) return false;

  uint16_t next[kMaxCodeLength + 1];
  std::memcpy(next, t.firstIndex, sizeof next);
  for (int s = 0; s < kSymbolCount; ++s) {
    if (t.lengths[s]) t.sorted[next[t.lengths[s]]++] = uint16_t(s);
  }
  // Canonical codes of one length are consecutive, so each short code covers one run of entries.
  uint32_t entry = 0;
  for (int len = 1; len <= kFastBits; ++len) {
    const uint32_t span = 1u << (kFastBits - len);
    for (int i = 0; i < t.count[len]; ++i) {
      const uint16_t value = uint16_t((t.sorted[t.firstIndex[len] + i] << 4) | len);
      for (uint32_t k = 0; k < span; ++k) t.fast[entry + k] = value;
      entry += span;
    }
  }
  std::memset(t.fast + entry, 0, ((1u << kFastBits) - entry) * sizeof(uint16_t));
  return true;
}

// Bits in the format's own discipline: `bits` holds `avail` bits MSB-aligned, 16..31 of them
// between reads; a word is fetched whenever fewer than 16 remain. Words past the end of the
// input read as zero and are counted, so a caller can tell whether any of them was consumed.
class BitReader {
 public:
  BitReader(const uint8_t* cursor, const uint8_t* end) : cursor_(cursor), end_(end) {
    bits_ = uint32_t(fetchWord()) << 16;
    bits_ |= fetchWord();
    avail_ = 32;
  }

  uint32_t peekFast() const { return bits_ >> (32 - kFastBits); }
  uint32_t peek(int n) const { return bits_ >> (32 - n); }

  void consume(int n) {
    bits_ <<= n;
    avail_ -= n;
    if (avail_ < 16) {
      bits_ |= uint32_t(fetchWord()) << (16 - avail_);
      avail_ += 16;
    }
  }

  // Reads n (0..15) bits as a number.
  uint32_t take(int n) {
    const uint32_t value = n ? bits_ >> (32 - n) : 0;
    consume(n);
    return value;
  }

  bool readByte(uint32_t& value) {
    if (end_ - cursor_ < 1) return false;
    value = *cursor_++;
    return true;
  }
  bool readLe16(uint32_t& value) {
    if (end_ - cursor_ < 2) return false;
    value = loadLe16(cursor_);
    cursor_ += 2;
    return true;
  }
  bool readLe32(uint32_t& value) {
    if (end_ - cursor_ < 4) return false;
    value = loadLe32(cursor_);
    cursor_ += 4;
    return true;
  }

  // True when every bit consumed so far came from the input.
  bool withinInput() const { return avail_ >= 16 * int(phantomWords_); }
  const uint8_t* cursor() const { return cursor_; }

 private:
  uint16_t fetchWord() {
    if (end_ - cursor_ >= 2) {
      const uint16_t w = loadLe16(cursor_);
      cursor_ += 2;
      return w;
    }
    cursor_ = end_;  // a lone trailing byte is never part of a word
    ++phantomWords_;
    return 0;
  }

  const uint8_t* cursor_;
  const uint8_t* end_;
  uint32_t bits_ = 0;
  int avail_ = 0;
  uint32_t phantomWords_ = 0;
};

uint32_t decodeLongSymbol(const DecodeTable& t, const BitReader& r) {
  for (int len = kFastBits + 1; len <= kMaxCodeLength; ++len) {
    const uint32_t delta = r.peek(len) - t.firstCode[len];
    if (delta < t.count[len]) return uint32_t(t.sorted[t.firstIndex[len] + delta] << 4) | len;
  }
  return 0;  // unreachable for a complete code
}

// Copies a match that may overlap its source; the caller has checked both ends.
inline void copyMatch(uint8_t* dst, size_t offset, size_t length, const uint8_t* outEnd) {
  const uint8_t* src = dst - offset;
  uint8_t* const stop = dst + length;
  if (offset >= 8 && size_t(outEnd - stop) >= 8) {
    do {
      std::memcpy(dst, src, 8);
      dst += 8;
      src += 8;
    } while (dst < stop);
  } else if (offset >= 4 && size_t(outEnd - stop) >= 4) {
    do {
      std::memcpy(dst, src, 4);
      dst += 4;
      src += 4;
    } while (dst < stop);
  } else if (offset == 1) {
    std::memset(dst, *src, length);
  } else {
    while (dst < stop) *dst++ = *src++;
  }
}

bool readLongLength(BitReader& r, uint32_t& length) {
  uint32_t b = 0;
  if (!r.readByte(b)) return false;
  if (b < 255) {
    length = b + 18;
    return true;
  }
  uint32_t w = 0;
  if (!r.readLe16(w)) return false;
  if (w != 0) {
    length = w + 3;
    return true;
  }
  uint32_t d = 0;
  if (!r.readLe32(d) || d > UINT32_MAX - 3) return false;
  length = d + 3;
  return true;
}

// Decodes one block starting at `pos`; leaves `pos` where the block ended.
bool decodeBlock(const DecodeTable& t, BitReader& r, uint8_t* out, size_t size, size_t& pos) {
  uint8_t* dst = out + pos;
  uint8_t* const outEnd = out + size;
  uint8_t* const blockEnd = size - pos > kBlockOutput ? dst + kBlockOutput : outEnd;
  while (dst < blockEnd) {
    uint32_t entry = t.fast[r.peekFast()];
    if (entry == 0) entry = decodeLongSymbol(t, r);
    r.consume(int(entry & 15));
    const uint32_t symbol = entry >> 4;
    if (symbol < 256) {
      *dst++ = uint8_t(symbol);
      continue;
    }
    uint32_t length = (symbol & 15) + kMinMatch;
    if ((symbol & 15) == 15 && !readLongLength(r, length)) return false;
    const int offsetBits = int((symbol >> 4) & 15);
    const size_t offset = (size_t(1) << offsetBits) + r.take(offsetBits);
    if (offset > size_t(dst - out) || length > size_t(outEnd - dst)) return false;
    copyMatch(dst, offset, length, outEnd);
    dst += length;
  }
  pos = size_t(dst - out);
  return r.withinInput();
}

}  // namespace

bool decodeHuffmanStream(ByteView in, MutableByteView out) {
  DecodeTable table;
  const uint8_t* cursor = in.data();
  const uint8_t* const end = in.data() + in.size();
  size_t pos = 0;
  while (pos < out.size()) {
    if (size_t(end - cursor) < kTableBytes || !buildDecodeTable(cursor, table)) return false;
    BitReader reader(cursor + kTableBytes, end);
    if (!decodeBlock(table, reader, out.data(), out.size(), pos)) return false;
    cursor = reader.cursor();
  }
  return true;
}

}  // namespace px::xpress
