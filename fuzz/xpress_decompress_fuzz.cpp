// Untrusted XPRESS input: buffer-mode blobs (as frames carry them) and raw streams.
// First byte even: the rest is a buffer-mode blob. Odd: the next 3 bytes give the raw stream's
// output size (little-endian, capped), the rest is the stream.
#include <cstddef>
#include <cstdint>

#include "codec/xpress_buffer_mode.h"
#include "codec/xpress_huffman.h"

namespace {

constexpr size_t kMaxOutput = 1u << 20;
volatile uint32_t gSink;

// Touches every produced byte so the sanitizers see uninitialised or stray data.
uint32_t checksum(const px::Bytes& data) {
  uint32_t sum = 0;
  for (uint8_t b : data) sum = sum * 31 + b;
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  if ((data[0] & 1) == 0) {
    static px::xpress::PortableXpressDecompressor decompressor;
    static px::Bytes out;
    if (decompressor.decompress(px::ByteView(data + 1, size - 1), kMaxOutput, out)) {
      if (out.size() > kMaxOutput) __builtin_trap();
      gSink = checksum(out);
    }
    return 0;
  }
  if (size < 4) return 0;
  const size_t outSize = (data[1] | (data[2] << 8) | (size_t(data[3]) << 16)) % (kMaxOutput + 1);
  px::Bytes out(outSize);
  if (px::xpress::decodeHuffmanStream(px::ByteView(data + 4, size - 4), out)) gSink = checksum(out);
  return 0;
}
