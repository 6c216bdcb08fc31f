// Buffer-mode framing: a 24-byte header, then chunks that are each stored or one stream.
#include "codec/xpress_buffer_mode.h"

#include <algorithm>
#include <new>

namespace px::xpress {
namespace {

constexpr uint8_t kMagic[4] = {0x0A, 0x51, 0xE5, 0xC0};
constexpr size_t kCheckByteAt = 6;
// The smallest compressed chunk: one code table and the two words every block starts with.
constexpr size_t kMinStreamBytes = kTableBytes + 4;

uint8_t headerCheckByte(const uint8_t* header) {
  uint32_t crc = crc32(ByteView(header, kCheckByteAt));
  crc = crc32(ByteView(header + kCheckByteAt + 1, kHeaderSize - kCheckByteAt - 1), crc);
  return uint8_t(crc);
}

// The fewest input bytes that can hold the chunks `h` declares: each needs its size field and
// either its stored bytes or at least a minimal stream.
uint64_t minimumInputSize(const BufferModeHeader& h) {
  if (h.totalSize == 0) return kHeaderSize;
  const uint64_t chunks = (h.totalSize + h.chunkSize - 1) / h.chunkSize;
  const uint64_t lastSize = h.totalSize - (chunks - 1) * h.chunkSize;
  return kHeaderSize + (chunks - 1) * (4 + std::min<uint64_t>(h.chunkSize, kMinStreamBytes)) + 4 +
         std::min<uint64_t>(lastSize, kMinStreamBytes);
}

bool decodeChunks(ByteView input, const BufferModeHeader& h, Bytes& output) {
  size_t at = kHeaderSize;
  for (uint64_t produced = 0; produced < h.totalSize;) {
    const size_t size = size_t(std::min<uint64_t>(h.chunkSize, h.totalSize - produced));
    if (input.size() - at < 4) return false;
    const uint32_t stored = loadLe32(input.data() + at);
    at += 4;
    if (stored > size || stored > input.size() - at) return false;
    const ByteView body = input.subspan(at, stored);
    const MutableByteView target(output.data() + produced, size);
    if (stored == size) {
      std::copy(body.begin(), body.end(), target.begin());
    } else if (!decodeHuffmanStream(body, target)) {
      return false;
    }
    at += stored;
    produced += size;
  }
  return at == input.size();
}

}  // namespace

uint32_t crc32(ByteView data, uint32_t crc) {
  crc = ~crc;
  for (uint8_t byte : data) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void writeBufferModeHeader(uint64_t totalSize, uint8_t* out) {
  std::copy(kMagic, kMagic + 4, out);
  storeLe16(out + 4, uint16_t(kHeaderSize));
  out[7] = kAlgorithmXpressHuff;
  storeLe64(out + 8, totalSize);
  storeLe64(out + 16, std::min<uint64_t>(totalSize, kMaxChunkSize));
  out[kCheckByteAt] = headerCheckByte(out);
}

bool parseBufferModeHeader(ByteView in, BufferModeHeader& header) {
  if (in.size() < kHeaderSize || !std::equal(kMagic, kMagic + 4, in.data())) return false;
  const uint8_t* p = in.data();
  if (loadLe16(p + 4) != kHeaderSize || p[7] != kAlgorithmXpressHuff) return false;
  if (p[kCheckByteAt] != headerCheckByte(p)) return false;
  header.totalSize = loadLe64(p + 8);
  header.chunkSize = loadLe64(p + 16);
  return header.chunkSize == std::min<uint64_t>(header.totalSize, kMaxChunkSize);
}

bool PortableXpressCompressor::compress(ByteView input, Bytes& output) {
  if (input.empty()) return false;
  output.resize(kHeaderSize);
  writeBufferModeHeader(input.size(), output.data());
  for (size_t at = 0; at < input.size(); at += kMaxChunkSize) {
    const ByteView chunk = input.subspan(at, std::min<size_t>(kMaxChunkSize, input.size() - at));
    const size_t sizeAt = output.size();
    output.resize(sizeAt + 4);
    if (chunk.size() < kStoreBelow || !encoder_.encode(chunk, chunk.size(), output)) {
      appendBytes(output, chunk);
    }
    storeLe32(output.data() + sizeAt, uint32_t(output.size() - sizeAt - 4));
  }
  return true;
}

bool PortableXpressDecompressor::decompress(ByteView input, size_t maxOutput, Bytes& output) {
  BufferModeHeader h;
  // Checked before allocating: a short hostile blob cannot make us reserve a large output.
  if (!parseBufferModeHeader(input, h) || h.totalSize > maxOutput ||
      input.size() < minimumInputSize(h)) {
    output.clear();
    return false;
  }
  // Every byte is written below, so a buffer reused at the same size is not cleared first.
  try {
    output.resize(size_t(h.totalSize));
  } catch (const std::bad_alloc&) {
    output.clear();
    return false;
  }
  if (decodeChunks(input, h, output)) return true;
  output.clear();
  return false;
}

}  // namespace px::xpress
