// Length-limited Huffman code lengths for the 512-symbol alphabet.
#include <algorithm>
#include <cstring>

#include "codec/xpress_huffman.h"

namespace px::xpress {
namespace {

// Moffat and Katajainen's in-place method: `a` holds n >= 2 ascending weights and ends up with
// each one's optimal code length.
void minimumRedundancyLengths(uint32_t* a, int n) {
  a[0] += a[1];
  int root = 0;
  int leaf = 2;
  for (int next = 1; next < n - 1; ++next) {
    if (leaf >= n || a[root] < a[leaf]) {
      a[next] = a[root];
      a[root++] = uint32_t(next);
    } else {
      a[next] = a[leaf++];
    }
    if (leaf >= n || (root < next && a[root] < a[leaf])) {
      a[next] += a[root];
      a[root++] = uint32_t(next);
    } else {
      a[next] += a[leaf++];
    }
  }
  a[n - 2] = 0;
  for (int next = n - 3; next >= 0; --next) a[next] = a[a[next]] + 1;
  int available = 1;
  int used = 0;
  uint32_t depth = 0;
  root = n - 2;
  int next = n - 1;
  while (available > 0) {
    while (root >= 0 && a[root] == depth) {
      ++used;
      --root;
    }
    while (available > used) {
      a[next--] = depth;
      --available;
    }
    available = 2 * used;
    ++depth;
    used = 0;
  }
}

// Sorts keys of (frequency << 9 | symbol), given in ascending symbol order, by frequency; equal
// frequencies keep their order, so the result is the keys' ascending order. A stable radix sort
// on the frequency bytes: far cheaper than a comparison sort for a few hundred keys.
void sortKeys(uint32_t* keys, int n) {
  uint32_t highest = 0;
  for (int i = 0; i < n; ++i) highest = std::max(highest, keys[i]);
  uint32_t scratch[kSymbolCount];
  uint32_t* from = keys;
  uint32_t* to = scratch;
  for (int shift = 9; shift < 32 && (highest >> shift) != 0; shift += 8) {
    uint32_t start[257] = {};
    for (int i = 0; i < n; ++i) ++start[((from[i] >> shift) & 255) + 1];
    for (int d = 0; d < 256; ++d) start[d + 1] += start[d];
    for (int i = 0; i < n; ++i) to[start[(from[i] >> shift) & 255]++] = from[i];
    std::swap(from, to);
  }
  if (from != keys) std::memcpy(keys, from, sizeof(uint32_t) * size_t(n));
}

}  // namespace

void buildCodeLengths(const uint32_t* freqs, uint8_t* lengths) {
  uint32_t keys[kSymbolCount];
  int n = 0;
  // Frequencies in a block stay far below 2^23, so (frequency, symbol) packs into one key.
  for (int s = 0; s < kSymbolCount; ++s) {
    if (freqs[s]) keys[n++] = (freqs[s] << 9) | uint32_t(s);
  }
  std::memset(lengths, 0, kSymbolCount);
  if (n < 2) {
    const int used = n ? int(keys[0] & 511) : 0;
    lengths[used] = 1;
    lengths[used == 0 ? 1 : 0] = 1;
    return;
  }
  sortKeys(keys, n);
  uint32_t depth[kSymbolCount];
  for (int i = 0; i < n; ++i) depth[i] = keys[i] >> 9;
  minimumRedundancyLengths(depth, n);

  // Fold lengths beyond the limit into it, then lengthen shorter codes until the code space is
  // exactly full again.
  uint32_t perLength[64] = {};
  for (int i = 0; i < n; ++i) ++perLength[std::min<uint32_t>(depth[i], kMaxCodeLength)];
  uint32_t space = 0;
  for (int len = 1; len <= kMaxCodeLength; ++len) space += perLength[len] << (kMaxCodeLength - len);
  while (space > (1u << kMaxCodeLength)) {
    --perLength[kMaxCodeLength];
    for (int len = kMaxCodeLength - 1; len > 0; --len) {
      if (perLength[len]) {
        --perLength[len];
        perLength[len + 1] += 2;
        break;
      }
    }
    --space;
  }
  // Rarest symbols get the longest codes.
  int i = 0;
  for (int len = kMaxCodeLength; len >= 1; --len) {
    for (uint32_t k = 0; k < perLength[len]; ++k) lengths[keys[i++] & 511] = uint8_t(len);
  }
}

}  // namespace px::xpress
