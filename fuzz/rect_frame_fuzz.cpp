// decodeRectFrame (the legacy run-length format, already unpacked) on hostile data.
#include <cstddef>
#include <cstdint>

#include "base/bytes.h"
#include "viewer/frame_decoder.h"

namespace {
volatile uint32_t sink;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  px::Bytes image(size_t(97) * 61 * 4, 0);
  px::decodeRectFrame(px::ByteView(data, size), image.data(), 97, 61);
  uint32_t sum = 0;
  for (uint8_t b : image) sum += b;
  sink = sum;
  return 0;
}
