// LZ77 parse with a hash-chain match finder (one-step lazy), then one canonical Huffman code per
// block. Tuned for 16 KiB screen tiles: whole-input window, cheap resets between calls.
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "codec/xpress_huffman.h"

namespace px::xpress {
namespace {

// Match finder. The hash of 4 bytes (one BGRA pixel) heads chains through prev[]; a second,
// chainless table remembers the last place of each 3-byte prefix for short near matches.
constexpr int kHashBits = 14;
constexpr uint32_t kWindowSlots = 1u << 16;  // prev[] covers every offset the format allows
constexpr int kHash3Bits = 12;
constexpr uint32_t kMaxShortOffset = 511;  // 3-byte matches pay only with few offset bits

// Parse effort: the values trade speed for ratio on screen tiles.
constexpr int kMaxChain = 12;             // candidates tried per position
constexpr uint32_t kNiceLength = 64;      // stop searching once a match is this long
constexpr uint32_t kGoodLength = 8;       // past this, the lazy look tries fewer candidates
constexpr uint32_t kLazyBelow = 8;       // look one position ahead only for shorter matches
constexpr uint32_t kInsertAllBelow = 32;  // longer matches index only their last
constexpr uint32_t kRunTail = 8;          //   kRunTail positions

constexpr uint32_t kFirstBase = kMaxOffset + 1;
constexpr uint32_t kLiteralTail = 41;  // Windows codes a final block this short as literals
constexpr size_t kItemSlack = 16;      // most bytes one item can add to the output

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
inline uint32_t hash4(const uint8_t* p) { return (load32(p) * 2654435761u) >> (32 - kHashBits); }
inline uint32_t hash3(const uint8_t* p) {
  return ((load32(p) & 0xFFFFFF) * 2654435761u) >> (32 - kHash3Bits);
}

// Length of the common prefix of a and b, at most `limit`.
inline uint32_t matchLength(const uint8_t* a, const uint8_t* b, uint32_t limit) {
  uint32_t n = 0;
  while (n + 8 <= limit) {
    const uint64_t diff = load64(a + n) ^ load64(b + n);
    if (diff) return n + uint32_t(std::countr_zero(diff) >> 3);
    n += 8;
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

inline uint32_t offsetBits(uint32_t offset) { return 31 - uint32_t(std::countl_zero(offset)); }

inline uint32_t matchSymbol(uint32_t length, uint32_t offset) {
  return 256 + std::min<uint32_t>(length - kMinMatch, 15) + (offsetBits(offset) << 4);
}

struct Match {
  uint32_t length = 0;
  uint32_t offset = 0;
};

// Rough bits saved by a match: each covered byte spares a literal of about kLiteralBits, and
// the offset costs its extra bits. Keeps a far longer-by-one match from beating a near one.
constexpr int kLiteralBits = 6;
inline int matchGain(uint32_t length, uint32_t offset) {
  return int(length) * kLiteralBits - int(offsetBits(offset));
}

// One parsed item: a literal (offset 0, value = byte) or a match.
struct Item {
  uint32_t value;
  uint32_t offset;
};

// Writes 16-bit words into two reserved slots so that bytes emitted between them land exactly
// where the decoder's cursor will be: after the current partial word and the one after it.
class BitWriter {
 public:
  explicit BitWriter(uint8_t* at) : slot1_(at), slot2_(at + 2), next_(at + 4) {}

  void bits(uint32_t value, uint32_t count) {
    acc_ = (acc_ << count) | value;
    count_ += count;
    if (count_ > 16) {
      count_ -= 16;
      storeLe16(slot1_, uint16_t(acc_ >> count_));
      slot1_ = slot2_;
      slot2_ = next_;
      next_ += 2;
    }
  }
  void byte(uint8_t v) { *next_++ = v; }
  void le16(uint16_t v) {
    storeLe16(next_, v);
    next_ += 2;
  }
  void le32(uint32_t v) {
    storeLe32(next_, v);
    next_ += 4;
  }
  // Pads the last word with zeros; returns where the next block starts.
  uint8_t* finish() {
    storeLe16(slot1_, uint16_t(acc_ << (16 - count_)));
    storeLe16(slot2_, 0);
    return next_;
  }
  const uint8_t* end() const { return next_; }

 private:
  uint8_t* slot1_;
  uint8_t* slot2_;
  uint8_t* next_;
  uint32_t acc_ = 0;
  uint32_t count_ = 0;
};

}  // namespace

struct HuffmanStreamEncoder::State {
  std::vector<uint32_t> head = std::vector<uint32_t>(1u << kHashBits, 0);
  // Distance from each indexed position back to the previous one with the same hash; 0 ends
  // the chain.
  std::vector<uint16_t> prev = std::vector<uint16_t>(kWindowSlots, 0);
  std::vector<uint32_t> head3 = std::vector<uint32_t>(1u << kHash3Bits, 0);
  // Positions are stored as base + index. Inputs lie more than kMaxOffset apart (and base
  // starts past it, so an empty slot's 0 is as far), so the offset limit alone rejects both.
  uint32_t base = kFirstBase;
  // The current block's items; a block ends once it covers kBlockOutput bytes, and every item
  // covers at least one, so this never overflows.
  std::vector<Item> items = std::vector<Item>(kBlockOutput + 1);
  size_t itemCount = 0;
  Bytes scratch;
  uint32_t freqs[kSymbolCount];
  uint8_t lengths[kSymbolCount];
  uint16_t codes[kSymbolCount];

  const uint8_t* data = nullptr;
  uint32_t size = 0;

  void startInput(ByteView in) {
    if (uint64_t(base) + in.size() + kWindowSlots >= UINT32_MAX) {
      std::fill(head.begin(), head.end(), 0);
      std::fill(prev.begin(), prev.end(), 0);
      std::fill(head3.begin(), head3.end(), 0);
      base = kFirstBase;
    }
    data = in.data();
    size = uint32_t(in.size());
  }
  void finishInput() { base += size + kMaxOffset + 1; }

  // Records `pos` in the hash chains; needs 4 readable bytes at pos.
  inline void link(uint32_t here, uint32_t previous) {
    const uint32_t distance = here - previous;
    prev[here & (kWindowSlots - 1)] =
        uint16_t(distance <= kMaxOffset ? distance : 0);
  }
  inline void insert(uint32_t pos) {
    const uint32_t h = hash4(data + pos);
    link(base + pos, head[h]);
    head[h] = base + pos;
    head3[hash3(data + pos)] = base + pos;
  }

  // Best match at pos (inserting pos); needs 4 readable bytes at pos.
  Match find(uint32_t pos, int maxChain) {
    const uint32_t h = hash4(data + pos);
    uint32_t candidate = head[h];
    const uint32_t here = base + pos;
    link(here, candidate);
    head[h] = here;
    const uint8_t* cur = data + pos;
    const uint32_t limit = size - pos;
    const uint32_t lowest = here - kMaxOffset;
    const uint32_t first = load32(cur);
    Match best;
    int bestGain = 0;
    // A candidate can only beat `best` if it also matches the 4 bytes ending one past it.
    uint32_t probeAt = 0;
    uint32_t probe = first;
    for (int chain = maxChain; chain > 0 && candidate >= lowest; --chain) {
      const uint8_t* ref = data + (candidate - base);
      if (load32(ref + probeAt) == probe && load32(ref) == first) {
        const uint32_t len = matchLength(ref, cur, limit);
        const int gain = matchGain(len, here - candidate);
        if (len > best.length && (best.length == 0 || gain > bestGain)) {
          best = {len, here - candidate};
          bestGain = gain;
          if (len >= kNiceLength || len == limit) break;
          if (len + 1 <= limit) {
            probeAt = len - 3;
            probe = load32(cur + probeAt);
          }
        }
      }
      const uint32_t step = prev[candidate & (kWindowSlots - 1)];
      if (step == 0) break;
      candidate -= step;
    }
    uint32_t& near = head3[hash3(cur)];
    if (best.length == 0 && here - near <= kMaxShortOffset &&
        (load32(data + (near - base)) & 0xFFFFFF) == (first & 0xFFFFFF)) {
      best = {3, here - near};
    }
    near = here;
    return best;
  }

  void literal(uint32_t pos) {
    items[itemCount++] = {data[pos], 0};
    ++freqs[data[pos]];
  }
  void match(Match m) {
    items[itemCount++] = {m.length, m.offset};
    ++freqs[matchSymbol(m.length, m.offset)];
  }

  void makeCodes() {
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

  // Writes the collected items as one block at `out`; false once `out` would pass `stop`.
  bool writeBlock(uint8_t*& out, const uint8_t* stop, bool last) {
    if (last) ++freqs[kEndMarker];
    makeCodes();
    if (stop - out < ptrdiff_t(kTableBytes + kItemSlack)) return false;
    for (size_t i = 0; i < kTableBytes; ++i) {
      out[i] = uint8_t(lengths[2 * i] | (lengths[2 * i + 1] << 4));
    }
    BitWriter w(out + kTableBytes);
    for (size_t i = 0; i < itemCount; ++i) {
      const Item& item = items[i];
      if (item.offset == 0) {
        w.bits(codes[item.value], lengths[item.value]);
      } else {
        writeMatch(w, item);
      }
      if (w.end() > stop) return false;
    }
    if (last) w.bits(codes[kEndMarker], lengths[kEndMarker]);
    out = w.finish();
    itemCount = 0;
    std::memset(freqs, 0, sizeof freqs);
    return true;
  }

  void writeMatch(BitWriter& w, const Item& item) {
    const uint32_t symbol = matchSymbol(item.value, item.offset);
    w.bits(codes[symbol], lengths[symbol]);
    const uint32_t extra = item.value - kMinMatch;
    if (extra >= 15) {
      if (extra - 15 < 255) {
        w.byte(uint8_t(extra - 15));
      } else {
        w.byte(255);
        if (extra <= 0xFFFF) {
          w.le16(uint16_t(extra));
        } else {
          w.le16(0);
          w.le32(extra);
        }
      }
    }
    const uint32_t nb = offsetBits(item.offset);
    w.bits(item.offset - (1u << nb), nb);
  }

  // Indexes the positions inside a match that starts at pos; `from` is the first not yet indexed.
  // A long match repeats text the chains already hold (a run of one pixel, or rows copied at the
  // row stride), so indexing only its tail costs little ratio and saves most of the inserts.
  void insertWithin(uint32_t from, uint32_t pos, Match m) {
    const uint32_t end = std::min(pos + m.length, size >= 4 ? size - 3 : 0);
    if (m.length >= kInsertAllBelow && end > kRunTail) {
      from = std::max(from, end - kRunTail);
    }
    for (uint32_t p = from; p < end; ++p) insert(p);
  }

  bool encode(uint8_t* out, const uint8_t* stop, uint8_t*& written);
};

bool HuffmanStreamEncoder::State::encode(uint8_t* out, const uint8_t* stop, uint8_t*& written) {
  itemCount = 0;
  std::memset(freqs, 0, sizeof freqs);
  uint32_t pos = 0;
  uint32_t blockEnd = 0;
  bool literalOnly = false;
  Match pending;
  while (pos < size) {
    if (pos >= blockEnd) {
      if (pos > 0 && !writeBlock(out, stop, false)) return false;
      blockEnd = pos + uint32_t(kBlockOutput);
      literalOnly = size - pos < kLiteralTail;
    }
    if (literalOnly || size - pos < 4) {
      literal(pos++);
      continue;
    }
    Match m = pending.length ? pending : find(pos, kMaxChain);
    pending = Match{};
    if (m.length < kMinMatch) {
      literal(pos++);
      continue;
    }
    uint32_t indexed = pos + 1;
    if (m.length < kLazyBelow && size - (pos + 1) >= 4) {
      const Match next = find(pos + 1, m.length < kGoodLength ? kMaxChain : kMaxChain / 4);
      if (next.length > m.length &&
          matchGain(next.length, next.offset) > matchGain(m.length, m.offset)) {
        literal(pos++);
        pending = next;
        continue;
      }
      indexed = pos + 2;
    }
    match(m);
    insertWithin(indexed, pos, m);
    pos += m.length;
  }
  if (!writeBlock(out, stop, true)) return false;
  written = out;
  return true;
}

HuffmanStreamEncoder::HuffmanStreamEncoder() : state_(std::make_unique<State>()) {}
HuffmanStreamEncoder::~HuffmanStreamEncoder() = default;

bool HuffmanStreamEncoder::encode(ByteView in, size_t limit, Bytes& out) {
  if (in.empty() || in.size() > UINT32_MAX / 2) return false;
  State& s = *state_;
  if (s.scratch.size() < limit + kTableBytes + kItemSlack)
    s.scratch.resize(limit + kTableBytes + kItemSlack);
  s.startInput(in);
  uint8_t* written = nullptr;
  const bool ok = s.encode(s.scratch.data(), s.scratch.data() + limit, written);
  s.finishInput();
  if (!ok || size_t(written - s.scratch.data()) >= limit) return false;
  out.insert(out.end(), s.scratch.data(), written);
  return true;
}

}  // namespace px::xpress
