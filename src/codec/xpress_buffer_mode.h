// The Compression API's buffer-mode framing around LZ77+Huffman streams, and our own coder for it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/bytes.h"
#include "codec/xpress_huffman.h"

namespace px::xpress {

inline constexpr size_t kHeaderSize = 24;
inline constexpr uint8_t kAlgorithmXpressHuff = 4;
inline constexpr uint64_t kMaxChunkSize = 64ull << 20;
// Windows stores inputs this short uncompressed; we do the same.
inline constexpr size_t kStoreBelow = 300;

struct BufferModeHeader {
  uint64_t totalSize = 0;
  uint64_t chunkSize = 0;
};

// The 24 header bytes for `totalSize` input bytes, with Windows' check byte.
void writeBufferModeHeader(uint64_t totalSize, uint8_t* out);
// False unless `in` starts with a well-formed header (magic, size, check byte, algorithm, a chunk
// size that matches the total).
bool parseBufferModeHeader(ByteView in, BufferModeHeader& header);
// The standard CRC-32 (the one zlib's crc32 computes).
uint32_t crc32(ByteView data, uint32_t crc = 0);

// Our own buffer-mode coder; the portable fallback behind XpressCompressor/XpressDecompressor.
class PortableXpressCompressor {
 public:
  // Replaces `output` with the buffer-mode bytes for `input` (non-empty).
  bool compress(ByteView input, Bytes& output);

 private:
  HuffmanStreamEncoder encoder_;
};

class PortableXpressDecompressor {
 public:
  // Decodes buffer-mode `input` into `output` (resized to the declared size, without clearing
  // what is kept of its old bytes: all are overwritten). False, with `output` empty, on malformed
  // input or a declared size above `maxOutput`; allocates nothing before those checks.
  bool decompress(ByteView input, size_t maxOutput, Bytes& output);
};

}  // namespace px::xpress
