// Our raw-stream decoder against wimlib's, an independent implementation: where both accept a
// stream, they must produce the same bytes. The first two bytes give the output size minus one
// (one block, as wimlib decodes at most 64 KiB); the rest is the stream.
#include <wimlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "codec/xpress_huffman.h"

namespace {

wimlib_decompressor* wimlibDecoder() {
  static wimlib_decompressor* decoder = [] {
    wimlib_decompressor* d = nullptr;
    if (wimlib_create_decompressor(WIMLIB_COMPRESSION_TYPE_XPRESS, 65536, &d) != 0)
      __builtin_trap();
    return d;
  }();
  return decoder;
}

// wimlib does not know the 32-bit match length (long-length byte 255, then a zero 16-bit length):
// it takes that zero as a length of 3. Streams that could carry the form are not compared.
bool mayHoldThirtyTwoBitLength(px::ByteView stream) {
  static constexpr uint8_t kMarker[] = {0xFF, 0x00, 0x00};
  return std::search(stream.begin(), stream.end(), std::begin(kMarker), std::end(kMarker)) !=
         stream.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t outSize = size_t(px::loadLe16(data)) + 1;
  const px::ByteView stream(data + 2, size - 2);
  if (mayHoldThirtyTwoBitLength(stream)) return 0;
  px::Bytes ours(outSize), theirs(outSize);
  const bool oursOk = px::xpress::decodeHuffmanStream(stream, ours);
  const bool theirsOk =
      wimlib_decompress(stream.data(), stream.size(), theirs.data(), outSize, wimlibDecoder()) == 0;
  if (oursOk && theirsOk && ours != theirs) __builtin_trap();
  return 0;
}
