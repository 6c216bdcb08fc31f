// LZ77 parse tuned for 64 x 64 BGRA screen tiles (lazy for short matches), then one canonical
// Huffman code per block. The parse first probes the offsets screen content repeats at (the last
// offset used, the pixel before, the pixel above), then short hash chains, and strides through
// stretches that find nothing. Each block's exact size is known from its symbol counts before any
// bit is written, so an output that would not fit is refused without writing it.
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "codec/xpress_huffman.h"
#include "codec/xpress_word_writer.h"

namespace px::xpress {
namespace {

// Match finder: the hash of 4 bytes (one BGRA pixel) heads chains through prev[]; a second,
// chainless table remembers the last place of each 3-byte prefix, for the short near matches
// photo tiles are full of. The 4-byte table is sparse on purpose: a photo tile holds nearly as
// many distinct pixels as positions, and with a denser table every collision costs a wasted
// chain step, which outweighs the extra cache misses of a larger one.
constexpr int kHashBits = 17;
constexpr uint32_t kWindowSlots = 1u << 16;  // prev[] covers every offset the format allows
constexpr int kHash3Bits = 12;
constexpr uint32_t kMaxShortOffset = 1023;  // 3-byte matches pay only with few offset bits

// Offsets tried before the hash chain: the last one used, the same pixel again, the pixel one
// row above in a 64-pixel-wide tile.
constexpr uint32_t kPixelOffset = 4;
constexpr uint32_t kRowOffset = 64 * 4;

// Parse effort: the values trade speed for ratio on screen tiles.
constexpr int kMaxChain = 4;              // chain candidates tried per position
constexpr uint32_t kNiceLength = 64;      // stop searching once a match is this long
constexpr uint32_t kLazyBelow = 8;        // look one position ahead only for shorter matches
constexpr uint32_t kSkipShift = 5;        // each 2^kSkipShift fruitless searches widen the step
constexpr uint32_t kInsertAllBelow = 32;  // longer matches index only their last
constexpr uint32_t kRunTail = 8;          //   kRunTail positions

constexpr uint32_t kFirstBase = kMaxOffset + 1;
constexpr uint32_t kLiteralTail = 41;  // Windows codes a final block this short as literals

inline uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline uint32_t hash4(uint32_t bytes) { return (bytes * 2654435761u) >> (32 - kHashBits); }
inline uint32_t hash3(uint32_t bytes) {
  return ((bytes & 0xFFFFFF) * 2654435761u) >> (32 - kHash3Bits);
}

// Length of the common prefix of a and b, at most `limit`.
inline uint32_t matchLength(const uint8_t* a, const uint8_t* b, uint32_t limit) {
  uint32_t n = 0;
  while (n + 8 <= limit) {
    const uint64_t diff = load64(a + n) ^ load64(b + n);
    if (diff) {
      const int zeros = std::endian::native == std::endian::little ? std::countr_zero(diff)
                                                                    : std::countl_zero(diff);
      return n + uint32_t(zeros >> 3);
    }
    n += 8;
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

inline uint32_t offsetBits(uint32_t offset) { return 31 - uint32_t(std::countl_zero(offset)); }

inline uint32_t matchSymbol(uint32_t length, uint32_t offset) {
  return 256 + std::min<uint32_t>(length - kMinMatch, 15) + (offsetBits(offset) << 4);
}

// Bytes a match of `length` writes between its symbol and its offset bits.
inline uint32_t lengthBytes(uint32_t length) {
  const uint32_t extra = length - kMinMatch;
  if (extra < 15) return 0;
  if (extra - 15 < 255) return 1;
  return extra <= 0xFFFF ? 3 : 7;
}

// Rough bits saved by a match: each covered byte spares a literal of about kLiteralBits, and
// the offset costs its extra bits. Keeps a far longer-by-one match from beating a near one.
constexpr int kLiteralBits = 6;
inline int matchGain(uint32_t length, uint32_t offset) {
  return int(length) * kLiteralBits - int(offsetBits(offset));
}

// The bytes that carry a length the match symbol cannot (length - kMinMatch >= 15).
inline void writeLengthBytes(WordWriter& writer, uint32_t length) {
  const uint32_t extra = length - kMinMatch;
  uint8_t bytes[7] = {255};
  uint32_t count = 3;
  if (extra - 15 < 255) {
    bytes[0] = uint8_t(extra - 15);
    count = 1;
  } else if (extra <= 0xFFFF) {
    storeLe16(bytes + 1, uint16_t(extra));
  } else {
    storeLe16(bytes + 1, 0);
    storeLe32(bytes + 3, extra);
    count = 7;
  }
  writer.bytes(bytes, count);
}

struct Match {
  uint32_t length = 0;
  uint32_t offset = 0;
};

// A run of literals followed by a match (length 0: the run ends the block).
struct Sequence {
  uint32_t literals;
  uint32_t length;
  uint32_t offset;
};

}  // namespace

struct HuffmanStreamEncoder::State {
  // Latest position of each 4-byte hash, stored as base + index. Inputs lie more than kMaxOffset
  // apart (and base starts past it, so an empty slot's 0 is as far), so the offset limit alone
  // rejects entries left by earlier inputs: the output never depends on what came before.
  std::vector<uint32_t> head = std::vector<uint32_t>(1u << kHashBits, 0);
  // Distance from each indexed position back to the previous one with the same hash; 0 ends
  // the chain. Inputs start at multiples of kWindowSlots, so tiles reuse the same slots.
  std::vector<uint16_t> prev = std::vector<uint16_t>(kWindowSlots, 0);
  std::vector<uint32_t> head3 = std::vector<uint32_t>(1u << kHash3Bits, 0);
  uint32_t base = kFirstBase;
  // The current block: its matches start inside its kBlockOutput bytes and cover at least
  // kMinMatch bytes each, and one literal-only sequence may end it.
  std::vector<Sequence> sequences = std::vector<Sequence>(kBlockOutput / kMinMatch + 2);
  size_t sequenceCount = 0;
  uint32_t freqs[kSymbolCount];
  uint8_t lengths[kSymbolCount];
  uint16_t codes[kSymbolCount];
  uint64_t offsetBitCount = 0;  // extra offset bits of the block's matches
  uint64_t lengthByteCount = 0;
  WordBuffers wordBuffers;

  const uint8_t* data = nullptr;
  uint32_t size = 0;
  uint32_t lastOffset = 0;

  void startInput(ByteView in) {
    if (uint64_t(base) + in.size() + 2 * kFirstBase >= UINT32_MAX) {
      std::fill(head.begin(), head.end(), 0);
      std::fill(head3.begin(), head3.end(), 0);
      base = kFirstBase;
    }
    data = in.data();
    size = uint32_t(in.size());
    lastOffset = 0;
  }
  void finishInput() { base += (size + 2 * kFirstBase - 1) / kFirstBase * kFirstBase; }

  // Records `pos` in the hash chains; needs 4 readable bytes at pos.

  void link(uint32_t here, uint32_t previous) {
    const uint32_t distance = here - previous;
    prev[here & (kWindowSlots - 1)] = uint16_t(distance <= kMaxOffset ? distance : 0);
  }
  void insert(uint32_t pos) {
    uint32_t& slot = head[hash4(load32(data + pos))];
    link(base + pos, slot);
    slot = base + pos;
  }

  // Best match at pos, by matchGain(), inserting pos; needs 4 readable bytes at pos.
  Match find(uint32_t pos) {
    const uint8_t* cur = data + pos;
    const uint32_t first = load32(cur);
    const uint32_t limit = size - pos - 4;
    Match best;
    int bestGain = 0;
    auto consider = [&](uint32_t offset) {
      const uint8_t* ref = cur - offset;
      if (load32(ref) != first) return;
      const uint32_t length = 4 + matchLength(ref + 4, cur + 4, limit);
      const int gain = matchGain(length, offset);
      if (gain > bestGain) {
        best = {length, offset};
        bestGain = gain;
      }
    };
    const uint32_t rep = lastOffset;
    if (rep != 0 && rep <= pos) consider(rep);
    if (rep != kPixelOffset && kPixelOffset <= pos) consider(kPixelOffset);
    if (rep != kRowOffset && kRowOffset <= pos) consider(kRowOffset);
    uint32_t& slot = head[hash4(first)];
    const uint32_t here = base + pos;
    uint32_t candidate = slot;
    link(here, candidate);
    slot = here;
    for (int chain = kMaxChain; chain > 0 && here - candidate <= kMaxOffset; --chain) {
      const uint32_t offset = here - candidate;
      if (offset != rep && offset != kPixelOffset && offset != kRowOffset) consider(offset);
      if (best.length >= kNiceLength) break;
      const uint32_t step = prev[candidate & (kWindowSlots - 1)];
      if (step == 0) break;
      candidate -= step;
    }
    uint32_t& near = head3[hash3(first)];
    const uint32_t nearOffset = here - near;
    near = here;
    if (best.length == 0 && nearOffset <= kMaxShortOffset &&
        std::memcmp(cur - nearOffset, cur, 3) == 0) {
      best = {3 + matchLength(cur - nearOffset + 3, cur + 3, limit + 1), nearOffset};
    }
    return best;
  }

  void addLiterals(uint32_t from, uint32_t to) {
    for (uint32_t p = from; p < to; ++p) ++freqs[data[p]];
  }
  void addSequence(uint32_t literalsFrom, uint32_t matchAt, Match m) {
    addLiterals(literalsFrom, matchAt);
    sequences[sequenceCount++] = {matchAt - literalsFrom, m.length, m.offset};
    if (m.length == 0) return;
    ++freqs[matchSymbol(m.length, m.offset)];
    offsetBitCount += offsetBits(m.offset);
    lengthByteCount += lengthBytes(m.length);
  }

  uint32_t parse(uint32_t pos, uint32_t blockEnd);
  void makeCodes();
  uint64_t blockBits() const;
  uint8_t* writeBlock(uint32_t pos, bool last, uint64_t words, uint8_t* out);
  bool encode(size_t limit, Bytes& out);
};

// Parses [pos, blockEnd) into sequences; a last match may run past blockEnd. Returns where the
// block ends.
uint32_t HuffmanStreamEncoder::State::parse(uint32_t pos, uint32_t blockEnd) {
  const uint32_t searchEnd = std::min(blockEnd, size - 3);  // find() reads 4 bytes
  uint32_t anchor = pos;
  uint32_t misses = 0;
  // A short match found one position back, kept until this position shows whether a literal
  // and a better match beat it. One call site of find() keeps it inlined.
  Match held;
  while (pos < searchEnd) {
    Match m = find(pos);
    const uint32_t indexed = pos + 1;  // find() has indexed every position before this
    if (held.length != 0) {
      if (m.length == 0 || matchGain(m.length, m.offset) <= matchGain(held.length, held.offset)) {
        m = held;
        --pos;
      }
      held = Match{};
    } else if (m.length == 0) {
      pos += 1 + (misses++ >> kSkipShift);
      continue;
    }
    misses = 0;
    if (m.length < kLazyBelow && pos + 1 < searchEnd && pos + 1 == indexed) {
      held = m;
      ++pos;
      continue;
    }
    // Skipped positions may hide the start of the match.
    while (pos > anchor && pos > m.offset && data[pos - 1] == data[pos - 1 - m.offset]) {
      --pos;
      ++m.length;
    }
    addSequence(anchor, pos, m);
    lastOffset = m.offset;
    const uint32_t end = pos + m.length;
    // A long match repeats text the chains already hold (a run of one pixel, or rows copied at
    // the row stride), so indexing only its tail costs little ratio and saves most inserts.
    uint32_t from = std::max(pos + 1, indexed);
    if (m.length >= kInsertAllBelow) from = std::max(from, end - kRunTail);
    for (uint32_t p = from; p < std::min(end, searchEnd); ++p) insert(p);
    pos = anchor = end;
  }
  if (anchor < blockEnd) {
    addSequence(anchor, blockEnd, Match{});
    anchor = blockEnd;
  }
  return anchor;
}

void HuffmanStreamEncoder::State::makeCodes() {
  buildCodeLengths(freqs, lengths);
  uint32_t perLength[kMaxCodeLength + 1] = {};
  for (int s = 0; s < kSymbolCount; ++s) ++perLength[lengths[s]];
  perLength[0] = 0;
  uint32_t next[kMaxCodeLength + 1];
  uint32_t code = 0;
  for (int len = 1; len <= kMaxCodeLength; ++len) {
    next[len] = code;
    code = (code + perLength[len]) << 1;
  }
  for (int s = 0; s < kSymbolCount; ++s) {
    if (lengths[s]) codes[s] = uint16_t(next[lengths[s]]++);
  }
}

// The bits the block's symbols and offsets take with the current code.
uint64_t HuffmanStreamEncoder::State::blockBits() const {
  uint64_t bits = offsetBitCount;
  for (int s = 0; s < kSymbolCount; ++s) bits += uint64_t(freqs[s]) * lengths[s];
  return bits;
}

// Writes the block of sequences that starts at input position `pos`, `words` words of bits plus
// the table and length bytes; returns its end.
uint8_t* HuffmanStreamEncoder::State::writeBlock(uint32_t pos, bool last, uint64_t words,
                                                 uint8_t* out) {
  for (size_t i = 0; i < kTableBytes; ++i) {
    out[i] = uint8_t(lengths[2 * i] | (lengths[2 * i + 1] << 4));
  }
  WordWriter writer(wordBuffers, size_t(words));
  const uint8_t* at = data + pos;
  for (size_t i = 0; i < sequenceCount; ++i) {
    const Sequence& seq = sequences[i];
    const uint8_t* const literalsEnd = at + seq.literals;
    for (; literalsEnd - at >= 3; at += 3) {
      writer.put(codes[at[0]], lengths[at[0]]);
      writer.put(codes[at[1]], lengths[at[1]]);
      writer.put(codes[at[2]], lengths[at[2]]);
      writer.flush();
    }
    for (; at < literalsEnd; ++at) writer.put(codes[*at], lengths[*at]);
    writer.flush();
    if (seq.length == 0) continue;
    const uint32_t symbol = matchSymbol(seq.length, seq.offset);
    writer.put(codes[symbol], lengths[symbol]);
    if (seq.length - kMinMatch >= 15) writeLengthBytes(writer, seq.length);
    const uint32_t nb = offsetBits(seq.offset);
    writer.put(seq.offset - (1u << nb), nb);
    writer.flush();
    at += seq.length;
  }
  if (last) writer.put(codes[kEndMarker], lengths[kEndMarker]);
  return writer.finish(out + kTableBytes);
}

bool HuffmanStreamEncoder::State::encode(size_t limit, Bytes& out) {
  const size_t start = out.size();
  uint32_t pos = 0;
  while (pos < size) {
    sequenceCount = 0;
    std::memset(freqs, 0, sizeof freqs);
    offsetBitCount = 0;
    lengthByteCount = 0;
    uint32_t end = std::min<uint32_t>(size, pos + uint32_t(kBlockOutput));
    if (size - pos < kLiteralTail || size - pos < 4) {
      addSequence(pos, end, Match{});
    } else {
      end = parse(pos, end);
    }
    const bool last = end == size;
    if (last) ++freqs[kEndMarker];
    makeCodes();
    const uint64_t words = WordWriter::wordsFor(blockBits());
    const uint64_t bytes = kTableBytes + 2 * words + lengthByteCount;
    if (out.size() - start + bytes >= limit) {
      out.resize(start);
      return false;
    }
    out.resize(out.size() + size_t(bytes));
    uint8_t* const blockStart = out.data() + out.size() - size_t(bytes);
    if (writeBlock(pos, last, words, blockStart) != blockStart + bytes) {  // a miscount: never sent
      out.resize(start);
      return false;
    }
    pos = end;
  }
  return true;
}

HuffmanStreamEncoder::HuffmanStreamEncoder() : state_(std::make_unique<State>()) {}
HuffmanStreamEncoder::~HuffmanStreamEncoder() = default;

bool HuffmanStreamEncoder::encode(ByteView in, size_t limit, Bytes& out) {
  if (in.empty() || in.size() > UINT32_MAX / 2) return false;
  State& s = *state_;
  s.startInput(in);
  const bool ok = s.encode(limit, out);
  s.finishInput();
  return ok;
}

}  // namespace px::xpress
