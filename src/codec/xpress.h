// XPRESS-Huffman (LZ77 + canonical Huffman, [MS-XCA] 2.1-2.2) in the buffer-mode framing that the
// Windows Compression API writes and reads for COMPRESS_ALGORITHM_XPRESS_HUFF: a 24-byte header,
// then chunks of at most 64 MiB, each stored or an independent LZ77+Huffman stream.
//
// On Windows the compressor and decompressor use the Compression API when cabinet.dll has it and
// fall back to our own coder otherwise; elsewhere they are our own coder. Both produce and read
// the same format. Objects are used by one thread at a time.
#pragma once

#include <memory>

#include "base/bytes.h"

namespace px {

class XpressCompressor {
 public:
  XpressCompressor();
  ~XpressCompressor();
  XpressCompressor(const XpressCompressor&) = delete;
  XpressCompressor& operator=(const XpressCompressor&) = delete;

  // Replaces `output` with the buffer-mode bytes for `input` (non-empty). False on failure.
  bool compress(ByteView input, Bytes& output);
  // True when the Windows Compression API does the work (false: our own coder).
  bool usesSystemCoder() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class XpressDecompressor {
 public:
  XpressDecompressor();
  ~XpressDecompressor();
  XpressDecompressor(const XpressDecompressor&) = delete;
  XpressDecompressor& operator=(const XpressDecompressor&) = delete;

  // Decodes buffer-mode `input` into `output`, which is resized to the produced size. Fails on
  // malformed input and when the declared size exceeds `maxOutput`; never writes past it.
  bool decompress(ByteView input, size_t maxOutput, Bytes& output);
  bool usesSystemCoder() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace px
