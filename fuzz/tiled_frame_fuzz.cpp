// decodeTiledFrame on hostile payloads, through the decompressor and the JPEG decoder. The image
// size is taken from the payload's own header (capped) so that the fuzzer gets past the size
// check; every image byte is read afterwards so the sanitizers see what was written.
#include <cstddef>
#include <cstdint>

#include "base/bytes.h"
#include "protocol/frame_format.h"
#include "viewer/frame_decoder.h"

namespace {
constexpr int kMaxSide = 512;
volatile uint32_t sink;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static px::FrameDecoder decoder;
  int width = 64, height = 64;
  if (size >= px::kFrameHeaderSize) {
    width = px::loadLe16(data + px::kFrameScreenWidthAt);
    height = px::loadLe16(data + px::kFrameScreenHeightAt);
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide) width = height = 64;
  }
  px::Bytes image(size_t(width) * height * 4, 0);
  decoder.decodeTiledFrame(px::ByteView(data, size), image.data(), width, height);
  uint32_t sum = 0;
  for (uint8_t b : image) sum += b;
  sink = sum;
  return 0;
}
