// Record parsing as the receiver meets it: clear records, sealed records straight from the wire,
// and sealed records whose tag is right but whose plaintext (header, lengths) is hostile.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "net/record_layer.h"

namespace {

class MemoryReader final : public px::ByteReader {
 public:
  explicit MemoryReader(px::ByteView data) : data_(data) {}
  bool readExactly(px::MutableByteView out) override {
    if (out.size() > data_.size() - offset_) return false;
    std::copy_n(data_.begin() + offset_, out.size(), out.begin());
    offset_ += out.size();
    return true;
  }

 private:
  px::ByteView data_;
  size_t offset_ = 0;
};

px::RecordKey fixedKey() {
  px::AesKey32 raw;
  raw.fill(0x6b);
  px::RecordKey key;
  px::RecordKey::create(raw, key);
  return key;
}

// Reads records until the stream fails, touching every payload byte.
void readAll(px::ByteView wire, px::RecordKey* key) {
  MemoryReader reader(wire);
  px::RecordHeader header;
  px::Bytes payload;
  volatile uint8_t sink = 0;
  for (int i = 0; i < 64 && px::readRecord(reader, key, header, payload); ++i) {
    if (payload.size() != header.length) __builtin_trap();
    for (uint8_t b : payload) sink = sink ^ b;
  }
}

// Seals each chunk of `data` (chunk sizes taken from the data) as a record's whole plaintext,
// with the correct L, so the checks after the tag see arbitrary headers.
px::Bytes sealChunks(px::ByteView data) {
  px::RecordKey sealer = fixedKey();
  px::Bytes wire;
  size_t at = 0;
  while (at < data.size()) {
    const size_t size = std::min<size_t>(data[at], data.size() - at - 1);
    const px::ByteView plain = data.subspan(at + 1, size);
    at += 1 + size;
    const uint32_t length = uint32_t(plain.size() + px::kGcmTagSize);
    const size_t start = wire.size();
    wire.resize(start + 4 + length);
    px::storeLe32(wire.data() + start, length);
    px::gcmSeal(sealer, px::ByteView(wire.data() + start, 4), plain, wire.data() + start + 4);
  }
  return wire;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const px::ByteView rest(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      readAll(rest, nullptr);
      break;
    case 1: {
      px::RecordKey key = fixedKey();
      readAll(rest, &key);
      break;
    }
    default: {
      px::RecordKey key = fixedKey();
      readAll(sealChunks(rest), &key);
      break;
    }
  }
  return 0;
}
