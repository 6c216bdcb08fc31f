// The raw LZ77+Huffman stream of XPRESS-Huffman: blocks of a 256-byte table of 4-bit code lengths
// for 512 symbols, then MSB-first bits in 16-bit little-endian words with the long-length bytes
// interleaved at the reader's cursor. One stream is what one buffer-mode chunk holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/bytes.h"

namespace px::xpress {

inline constexpr int kSymbolCount = 512;
inline constexpr int kMaxCodeLength = 15;
inline constexpr size_t kTableBytes = 256;
inline constexpr size_t kBlockOutput = 65536;  // a block ends once it has produced this much
inline constexpr uint32_t kMaxOffset = 65535;
inline constexpr uint32_t kMinMatch = 3;
inline constexpr uint16_t kEndMarker = 256;  // a length-3, offset-1 match written after the end

// Decodes `in` into exactly out.size() bytes. False on any malformed input: a bad code table,
// bits or bytes needed past the end of `in`, an offset before the start of `out`, or a match
// running past its end. Never writes outside `out`; trailing bits (such as the end marker)
// are ignored.
bool decodeHuffmanStream(ByteView in, MutableByteView out);

// Turns symbol frequencies into code lengths of at most kMaxCodeLength bits that fill the code
// space exactly (a lone used symbol gets a dummy partner). `lengths` gets kSymbolCount entries.
void buildCodeLengths(const uint32_t* freqs, uint8_t* lengths);

// Encodes streams; keeps its match finder and scratch buffers between calls. One thread at a time.
class HuffmanStreamEncoder {
 public:
  HuffmanStreamEncoder();
  ~HuffmanStreamEncoder();
  HuffmanStreamEncoder(const HuffmanStreamEncoder&) = delete;
  HuffmanStreamEncoder& operator=(const HuffmanStreamEncoder&) = delete;

  // Appends the stream for `in` (non-empty) to `out` and returns true, unless the stream would
  // be `limit` bytes or longer: then `out` is left as it was and the result is false.
  bool encode(ByteView in, size_t limit, Bytes& out);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace px::xpress
