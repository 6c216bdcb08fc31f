// Table-driven decoder for the raw LZ77+Huffman stream.
#include <cstring>

#include "codec/xpress_huffman.h"

namespace px::xpress {
namespace {

constexpr int kFastBits = 11;  // codes up to this long resolve with one table look-up
// Literal pairs are built only when literal codes take at least 3/4 of the code space: joining
// costs about as much as it saves where matches are common (text), and wins on photo-like tiles.
constexpr uint32_t kPairingLiteralSpace = 3u << (kMaxCodeLength - 2);

// A look-up entry: bits 0-3 how many bits to consume, bits 4-5 how many literals it yields (0 for
// a match), bits 8-16 the first symbol (a match symbol, or a literal byte in 8-15), bits 16-23 the
// second literal, bits 24-27 the first symbol's own code length. 0 marks a code longer than
// kFastBits. Two literals share an entry when both codes fit in kFastBits together; near a
// block's end the decoder takes only the first, from bits 8-15 and 24-27.
namespace entry {
constexpr uint32_t kLiteralCountShift = 4;
constexpr uint32_t kLiterals = 3u << kLiteralCountShift;

constexpr uint32_t single(uint32_t symbol, uint32_t length) {
  const uint32_t literals = symbol < 256 ? 1 : 0;
  return length | literals << kLiteralCountShift | symbol << 8 | length << 24;
}
constexpr uint32_t pair(uint32_t first, uint32_t firstLength, uint32_t second, uint32_t length) {
  return length | 2u << kLiteralCountShift | first << 8 | second << 16 | firstLength << 24;
}
constexpr int length(uint32_t e) { return int(e & 15); }
constexpr int firstLength(uint32_t e) { return int((e >> 24) & 15); }
constexpr size_t literalCount(uint32_t e) { return (e >> kLiteralCountShift) & 3; }
constexpr uint32_t matchSymbol(uint32_t e) { return (e >> 8) & 0x1FF; }
constexpr uint8_t firstLiteral(uint32_t e) { return uint8_t(e >> 8); }
}  // namespace entry

// Decoding tables of one block: fast[] maps the next kFastBits bits to an entry; longer codes
// resolve from the canonical first codes per length.
struct DecodeTable {
  uint32_t fast[1 << kFastBits];
  uint16_t firstCode[kMaxCodeLength + 2];
  uint16_t firstIndex[kMaxCodeLength + 2];
  uint16_t count[kMaxCodeLength + 1];
  uint16_t sorted[kSymbolCount];
  uint8_t lengths[kSymbolCount];
};

// Joins each literal entry with the literal whose code follows it inside the same kFastBits.
// Canonical codes fill the table in order of length, so the second codes short enough to fit
// beside a first code of length `len` are the first covered[kFastBits - len] entries. Entries
// are rewritten in place: a pair keeps its first literal and length where a single entry has
// them, so reading an already joined entry as a second code still sees its single symbol.
void pairLiterals(DecodeTable& t) {
  uint32_t covered[kFastBits + 1] = {};
  for (int len = 1; len <= kFastBits; ++len) {
    covered[len] = covered[len - 1] + (uint32_t(t.count[len]) << (kFastBits - len));
  }
  uint32_t at = 0;
  for (int len = 1; len < kFastBits; ++len) {
    const uint32_t span = 1u << (kFastBits - len);
    const uint32_t seconds = covered[kFastBits - len] >> len;
    for (int i = 0; i < t.count[len]; ++i, at += span) {
      const uint32_t first = t.fast[at];
      if (entry::literalCount(first) == 0) continue;
      for (uint32_t k = 0; k < seconds; ++k) {
        const uint32_t next = t.fast[k << len];
        const uint32_t joined =
            entry::pair(entry::firstLiteral(first), uint32_t(len), entry::firstLiteral(next),
                        uint32_t(len + entry::firstLength(next)));
        t.fast[at + k] = entry::literalCount(next) ? joined : first;
      }
    }
  }
}

// False for an over-subscribed or incomplete code (every valid table fills the code space).
bool buildDecodeTable(const uint8_t* packed, DecodeTable& t) {
  std::memset(t.count, 0, sizeof t.count);
  for (int i = 0; i < kSymbolCount / 2; ++i) {
    t.lengths[2 * i] = packed[i] & 15;
    t.lengths[2 * i + 1] = packed[i] >> 4;
  }
  // Literals apart: their share of the code space tells whether pairing them pays.
  uint16_t literalCount[kMaxCodeLength + 1] = {};
  for (int s = 0; s < 256; ++s) ++literalCount[t.lengths[s]];
  for (int s = 256; s < kSymbolCount; ++s) ++t.count[t.lengths[s]];
  uint32_t literalSpace = 0;
  for (int len = 1; len <= kMaxCodeLength; ++len) {
    t.count[len] = uint16_t(t.count[len] + literalCount[len]);
    literalSpace += uint32_t(literalCount[len]) << (kMaxCodeLength - len);
  }
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
  uint32_t at = 0;
  for (int len = 1; len <= kFastBits; ++len) {
    const uint32_t span = 1u << (kFastBits - len);
    for (int i = 0; i < t.count[len]; ++i) {
      const uint32_t value = entry::single(t.sorted[t.firstIndex[len] + i], uint32_t(len));
      for (uint32_t k = 0; k < span; ++k) t.fast[at + k] = value;
      at += span;
    }
  }
  std::memset(t.fast + at, 0, ((1u << kFastBits) - at) * sizeof(uint32_t));
  if (literalSpace >= kPairingLiteralSpace) pairLiterals(t);
  return true;
}

// Bits of one block, MSB-first from 16-bit little-endian words, up to 63 of them buffered so
// that one refill serves a literal and a whole match. The format's own reader holds only 16..31
// bits (it fetches a word whenever fewer than 16 remain) and reads long-length bytes at its byte
// cursor, so before such a read syncToWords() drops the words fetched ahead and rewinds to that
// cursor. Words past the end of the input read as zero and are counted, so a caller can tell
// whether any of them was consumed.
class BitReader {
 public:
  // Refills at most this far below a full buffer: after refill() at least 48 bits are held.
  static constexpr int kRefilledBits = 48;

  BitReader(const uint8_t* cursor, const uint8_t* end) : in_(cursor), end_(end) { refill(); }

  uint32_t peekFast() const { return uint32_t(bits_ >> (64 - kFastBits)); }
  uint32_t peek(int n) const { return uint32_t(bits_ >> (64 - n)); }
  void consume(int n) {
    bits_ <<= n;
    count_ -= n;
  }
  // Reads n (0..15) bits as a number; needs n buffered bits.
  uint32_t take(int n) {
    const uint32_t value = uint32_t((bits_ >> 1) >> (63 - n));
    consume(n);
    return value;
  }

  // Tops the buffer up with whole words. Bits below the held ones are either zero or the next
  // bits of the input, so OR-ing the next word in again is harmless.
  void refill() {
    if (end_ - in_ >= 8) {
      const uint64_t v = loadLe64(in_);
      // Four words, the first one on top.
      const uint64_t words = (v << 48) | ((v << 16) & 0x0000FFFF00000000ull) |
                             ((v >> 16) & 0x00000000FFFF0000ull) | (v >> 48);
      bits_ |= words >> count_;
      const int added = (63 - count_) >> 4;
      in_ += 2 * added;
      count_ += 16 * added;
      return;
    }
    while (count_ < kRefilledBits) appendWord();
  }

  // Puts the buffer and the byte cursor where the word-at-a-time reader would have them, which
  // holds 16 + (count_ mod 16) bits. Needs a symbol consumed since construction (before that, it
  // holds 32).
  void syncToWords() {
    if (count_ < 16) appendWord();
    const int keep = 16 + (count_ & 15);
    int ahead = (count_ - keep) >> 4;
    const int phantoms = ahead < phantomWords_ ? ahead : phantomWords_;
    phantomWords_ -= phantoms;  // the words past the end are the last ones fetched
    ahead -= phantoms;
    in_ -= 2 * ahead;
    count_ = keep;
    bits_ &= ~uint64_t(0) << (64 - keep);
  }

  // Raw bytes at the cursor; call syncToWords() first. None once a word past the end was fetched.
  bool readByte(uint32_t& value) {
    if (phantomWords_ || end_ - in_ < 1) return false;
    value = *in_++;
    return true;
  }
  bool readLe16(uint32_t& value) {
    if (phantomWords_ || end_ - in_ < 2) return false;
    value = loadLe16(in_);
    in_ += 2;
    return true;
  }
  bool readLe32(uint32_t& value) {
    if (phantomWords_ || end_ - in_ < 4) return false;
    value = loadLe32(in_);
    in_ += 4;
    return true;
  }

  // True when every bit consumed so far came from the input.
  bool withinInput() const { return count_ >= 16 * phantomWords_; }
  // Where the next block starts; call syncToWords() first. A lone trailing byte is never part of
  // a word, so fetching past the end leaves the cursor at the end.
  const uint8_t* cursor() const { return phantomWords_ ? end_ : in_; }

 private:
  void appendWord() {
    uint64_t word = 0;
    if (end_ - in_ >= 2) {
      word = loadLe16(in_);
      in_ += 2;
    } else {
      ++phantomWords_;
    }
    bits_ |= word << (48 - count_);
    count_ += 16;
  }

  const uint8_t* in_;
  const uint8_t* end_;
  uint64_t bits_ = 0;
  int count_ = 0;
  int phantomWords_ = 0;
};

// `next` holds the next kMaxCodeLength bits.
uint32_t decodeLongSymbol(const DecodeTable& t, uint32_t next) {
  for (int len = kFastBits + 1; len <= kMaxCodeLength; ++len) {
    const uint32_t delta = (next >> (kMaxCodeLength - len)) - t.firstCode[len];
    if (delta < t.count[len])
      return entry::single(t.sorted[t.firstIndex[len] + delta], uint32_t(len));
  }
  return entry::single(0, kMaxCodeLength);  // unreachable for a complete code
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

// Inlined, like everything that takes the block's reader, so that the reader stays in registers.
[[gnu::always_inline]] inline bool readLongLength(BitReader& r, uint32_t& length) {
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

[[gnu::always_inline]] inline uint32_t lookUp(const DecodeTable& t, const BitReader& r) {
  const uint32_t e = t.fast[r.peekFast()];
  if (e == 0) [[unlikely]]
    return decodeLongSymbol(t, r.peek(kMaxCodeLength));
  return e;
}

// Decodes the match of entry `e` (already consumed) at dst; false when it reaches before the
// output or past its end.
[[gnu::always_inline]] inline bool decodeMatch(uint32_t e, BitReader& r, uint8_t* out,
                                               uint8_t*& dst, uint8_t* outEnd) {
  const uint32_t symbol = entry::matchSymbol(e);
  uint32_t length = (symbol & 15) + kMinMatch;
  if ((symbol & 15) == 15) [[unlikely]] {
    r.syncToWords();
    if (!readLongLength(r, length)) return false;
  }
  const int offsetBits = int((symbol >> 4) & 15);
  const size_t offset = (size_t(1) << offsetBits) + r.take(offsetBits);
  if (offset > size_t(dst - out) || length > size_t(outEnd - dst)) return false;
  copyMatch(dst, offset, length, outEnd);
  dst += length;
  return true;
}

// Decodes one block starting at `pos`; leaves `pos` where the block ended and the reader at the
// next block's table. Works on a local copy of the reader: the output bytes it stores could
// alias a reader reached through a reference, which would force its state out of registers.
bool decodeBlock(const DecodeTable& t, BitReader& reader, uint8_t* out, size_t size, size_t& pos) {
  BitReader r = reader;
  uint8_t* dst = out + pos;
  uint8_t* const outEnd = out + size;
  uint8_t* const blockEnd = size - pos > kBlockOutput ? dst + kBlockOutput : outEnd;
  // Two entries write at most 4 literal bytes (2 each; a lone literal's second byte is
  // overwritten next), so this part needs no room check per literal. 48 bits cover a literal
  // entry, then a match symbol and its offset bits (3 x 15).
  while (blockEnd - dst >= 4) {
    r.refill();
    uint32_t e = lookUp(t, r);
    r.consume(entry::length(e));
    if (e & entry::kLiterals) {
      storeLe16(dst, uint16_t(e >> 8));
      dst += entry::literalCount(e);
      e = lookUp(t, r);
      r.consume(entry::length(e));
      if (e & entry::kLiterals) {
        storeLe16(dst, uint16_t(e >> 8));
        dst += entry::literalCount(e);
        continue;
      }
    }
    if (!decodeMatch(e, r, out, dst, outEnd)) return false;
  }
  // The last few bytes one symbol at a time: a block never takes a literal beyond its end.
  while (dst < blockEnd) {
    r.refill();
    const uint32_t e = lookUp(t, r);
    if (e & entry::kLiterals) {
      r.consume(entry::firstLength(e));
      *dst++ = entry::firstLiteral(e);
    } else {
      r.consume(entry::length(e));
      if (!decodeMatch(e, r, out, dst, outEnd)) return false;
    }
  }
  pos = size_t(dst - out);
  r.syncToWords();
  reader = r;
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
