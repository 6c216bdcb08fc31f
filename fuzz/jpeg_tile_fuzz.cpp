// decodeJpegTile on hostile files: the first four bytes give the expected tile size (at most
// 256 x 256), the rest is the file.
#include <cstddef>
#include <cstdint>

#include "base/bytes.h"
#include "viewer/frame_decoder.h"

namespace {
volatile uint32_t sink;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  static px::FrameDecoder decoder;
  const int width = 1 + px::loadLe16(data) % 256;
  const int height = 1 + px::loadLe16(data + 2) % 256;
  px::Bytes out;
  if (decoder.decodeJpegTile(px::ByteView(data + 4, size - 4), width, height, out)) {
    if (out.size() != size_t(width) * height * 4) __builtin_trap();
    uint32_t sum = 0;
    for (uint8_t b : out) sum += b;
    sink = sum;
  }
  return 0;
}
