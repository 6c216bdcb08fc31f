// XpressCompressor/XpressDecompressor: thin owners of the platform's backend.
#include "codec/xpress.h"

#include "codec/xpress_backend.h"
#include "codec/xpress_buffer_mode.h"

namespace px {
namespace xpress {
namespace {

class PortableCompress final : public CompressBackend {
 public:
  bool compress(ByteView input, Bytes& output) override { return coder_.compress(input, output); }
  bool isSystemCoder() const override { return false; }

 private:
  PortableXpressCompressor coder_;
};

class PortableDecompress final : public DecompressBackend {
 public:
  bool decompress(ByteView input, size_t maxOutput, Bytes& output) override {
    return coder_.decompress(input, maxOutput, output);
  }
  bool isSystemCoder() const override { return false; }

 private:
  PortableXpressDecompressor coder_;
};

}  // namespace

std::unique_ptr<CompressBackend> makePortableCompressBackend() {
  return std::make_unique<PortableCompress>();
}
std::unique_ptr<DecompressBackend> makePortableDecompressBackend() {
  return std::make_unique<PortableDecompress>();
}

}  // namespace xpress

struct XpressCompressor::Impl {
  std::unique_ptr<xpress::CompressBackend> backend = xpress::makeCompressBackend();
};

XpressCompressor::XpressCompressor() : impl_(std::make_unique<Impl>()) {}
XpressCompressor::~XpressCompressor() = default;

bool XpressCompressor::compress(ByteView input, Bytes& output) {
  return !input.empty() && impl_->backend->compress(input, output);
}

bool XpressCompressor::usesSystemCoder() const { return impl_->backend->isSystemCoder(); }

struct XpressDecompressor::Impl {
  std::unique_ptr<xpress::DecompressBackend> backend = xpress::makeDecompressBackend();
};

XpressDecompressor::XpressDecompressor() : impl_(std::make_unique<Impl>()) {}
XpressDecompressor::~XpressDecompressor() = default;

bool XpressDecompressor::decompress(ByteView input, size_t maxOutput, Bytes& output) {
  return impl_->backend->decompress(input, maxOutput, output);
}

bool XpressDecompressor::usesSystemCoder() const { return impl_->backend->isSystemCoder(); }

}  // namespace px
