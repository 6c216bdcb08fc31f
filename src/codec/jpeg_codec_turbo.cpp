#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "codec/jpeg_codec.h"

namespace px {
namespace {

struct TjDeleter {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

struct TjBufferDeleter {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

int turboQuality(float quality) { return std::clamp(int(std::lround(quality * 100.0f)), 1, 100); }

}  // namespace

struct JpegEncoder::Impl {
  TjHandle handle{tjInitCompress()};
  // Grown to tjBufSize of the largest picture so far and reused: compressing straight into it
  // (no reallocation by the library) avoids a large allocation per tile.
  std::unique_ptr<unsigned char, TjBufferDeleter> buffer;
  unsigned long capacity = 0;
};

JpegEncoder::JpegEncoder() : impl_(std::make_unique<Impl>()) {}
JpegEncoder::~JpegEncoder() = default;

bool JpegEncoder::encode(const uint8_t* pixels, int width, int height, size_t stride, float quality,
                         Bytes& out) {
  out.clear();
  if (!impl_->handle || !pixels || width < 1 || height < 1) return false;
  const unsigned long needed = tjBufSize(width, height, TJSAMP_444);
  if (needed == static_cast<unsigned long>(-1)) return false;
  if (needed > impl_->capacity) {
    impl_->buffer.reset(tjAlloc(int(needed)));
    impl_->capacity = impl_->buffer ? needed : 0;
    if (!impl_->buffer) return false;
  }
  unsigned char* jpeg = impl_->buffer.get();
  unsigned long size = impl_->capacity;
  // BGRX input: the alpha byte is skipped by the library, which saves a BGRA-to-BGR copy.
  if (tjCompress2(impl_->handle.get(), pixels, width, int(stride), height, TJPF_BGRX, &jpeg, &size,
                  TJSAMP_444, turboQuality(quality), TJFLAG_NOREALLOC) != 0 ||
      size == 0) {
    return false;
  }
  out.assign(jpeg, jpeg + size);
  return true;
}

struct JpegDecoder::Impl {
  TjHandle handle{tjInitDecompress()};
  // A handle that stopped half-way through a bad file may refuse the next good one.
  void restart() { handle.reset(tjInitDecompress()); }
};

JpegDecoder::JpegDecoder() : impl_(std::make_unique<Impl>()) {}
JpegDecoder::~JpegDecoder() = default;

// `bgra` is not cleared before a good decode: every byte is written, so a buffer reused for
// pictures of one size is never zero-filled.
bool JpegDecoder::decode(ByteView jpeg, int expectedWidth, int expectedHeight, Bytes& bgra) {
  if (!impl_->handle || jpeg.empty() || expectedWidth < 1 || expectedHeight < 1 ||
      jpeg.size() > 0x7fffffffu) {
    bgra.clear();
    return false;
  }
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  auto* data = const_cast<unsigned char*>(jpeg.data());
  if (tjDecompressHeader3(impl_->handle.get(), data, (unsigned long)jpeg.size(), &width, &height,
                          &subsampling, &colorspace) != 0) {
    bgra.clear();
    impl_->restart();
    return false;
  }
  if (width != expectedWidth || height != expectedHeight) {
    bgra.clear();
    return false;
  }
  try {
    bgra.resize(size_t(width) * height * 4);
  } catch (const std::bad_alloc&) {
    bgra.clear();
    return false;
  }
  // Warnings (corrupt data the library papered over) count as failures, and progressive files
  // are cut off at the library's scan limit so a crafted file cannot make decoding crawl.
  if (tjDecompress2(impl_->handle.get(), data, (unsigned long)jpeg.size(), bgra.data(), width,
                    width * 4, height, TJPF_BGRA, TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS) != 0) {
    bgra.clear();
    impl_->restart();
    return false;
  }
  return true;
}

}  // namespace px
