// unpackBlob on hostile blobs: the first byte picks the caller's output limit.
#include <cstddef>
#include <cstdint>

#include "viewer/frame_decoder.h"

namespace {
volatile uint32_t sink;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static px::FrameDecoder decoder;
  const size_t limits[] = {64 * 64 * 4, 1 << 20, px::kMaxBlobSize, 16};
  px::Bytes out;
  decoder.unpackBlob(px::ByteView(data + 1, size - 1), out, limits[data[0] % 4]);
  uint32_t sum = 0;
  for (uint8_t b : out) sum += b;
  sink = sum;
  return 0;
}
