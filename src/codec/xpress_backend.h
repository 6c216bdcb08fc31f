// The seam between XpressCompressor/XpressDecompressor and the coder behind them. Each platform
// file defines the two factories: Windows prefers the Compression API, everything else (and
// Windows without that API) uses our own coder.
#pragma once

#include <memory>

#include "base/bytes.h"

namespace px::xpress {

class CompressBackend {
 public:
  virtual ~CompressBackend() = default;
  virtual bool compress(ByteView input, Bytes& output) = 0;
  virtual bool isSystemCoder() const = 0;
};

class DecompressBackend {
 public:
  virtual ~DecompressBackend() = default;
  virtual bool decompress(ByteView input, size_t maxOutput, Bytes& output) = 0;
  virtual bool isSystemCoder() const = 0;
};

std::unique_ptr<CompressBackend> makePortableCompressBackend();
std::unique_ptr<DecompressBackend> makePortableDecompressBackend();

// Defined once per platform.
std::unique_ptr<CompressBackend> makeCompressBackend();
std::unique_ptr<DecompressBackend> makeDecompressBackend();

}  // namespace px::xpress
