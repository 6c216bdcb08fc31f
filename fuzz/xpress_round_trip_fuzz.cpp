// Whatever goes into our compressor must come back out unchanged, raw and in buffer mode. The
// compressor object is reused across inputs, as the frame encoder reuses it across tiles.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codec/xpress_buffer_mode.h"
#include "codec/xpress_huffman.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static px::xpress::PortableXpressCompressor compressor;
  static px::xpress::PortableXpressDecompressor decompressor;
  static px::xpress::HuffmanStreamEncoder encoder;
  const px::ByteView input(data, size);

  px::Bytes packed, out;
  if (!compressor.compress(input, packed)) __builtin_trap();
  if (packed.size() > size + 28) __builtin_trap();
  if (!decompressor.decompress(packed, size, out)) __builtin_trap();
  if (out.size() != size || std::memcmp(out.data(), data, size) != 0) __builtin_trap();

  px::Bytes stream;
  if (encoder.encode(input, 2 * size + 1024, stream)) {
    out.assign(size, 0);
    if (!px::xpress::decodeHuffmanStream(stream, out)) __builtin_trap();
    if (std::memcmp(out.data(), data, size) != 0) __builtin_trap();
  } else {
    __builtin_trap();  // that limit always fits
  }
  return 0;
}
