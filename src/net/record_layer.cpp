#include "net/record_layer.h"

#include <algorithm>
#include <cstring>

namespace px {

void writeRecordHeader(uint8_t* out, uint8_t type, uint32_t payloadLength) {
  std::memcpy(out, kRecordMagic, sizeof kRecordMagic);
  out[4] = kRecordVersion;
  out[5] = type;
  storeLe32(out + 6, payloadLength);
}

bool parseRecordHeader(const uint8_t* in, RecordHeader& header) {
  if (std::memcmp(in, kRecordMagic, sizeof kRecordMagic) != 0) return false;
  header.version = in[4];
  header.type = in[5];
  header.length = loadLe32(in + 6);
  return true;
}

bool sealRecordInto(RecordKey& key, uint8_t type, ByteView payload, uint8_t* out) {
  if (payload.size() > kMaxSealedPayloadLength) return false;
  const uint32_t n = uint32_t(payload.size());
  const uint32_t length = kMinSealedRecordLength + n;
  storeLe32(out, length);
  uint8_t* plaintext = out + kRecordLengthSize;
  writeRecordHeader(plaintext, type, n);
  if (n) std::memcpy(plaintext + kRecordHeaderSize, payload.data(), n);
  // Sealed in place, so L, ciphertext and tag leave in one contiguous buffer.
  return gcmSeal(key, ByteView(out, kRecordLengthSize),
                 ByteView(plaintext, kRecordHeaderSize + n), plaintext);
}

bool sealRecord(RecordKey& key, uint8_t type, ByteView payload, Bytes& wire) {
  if (payload.size() > kMaxSealedPayloadLength) return false;
  Bytes sealed(sealedWireSize(payload.size()));
  if (!sealRecordInto(key, type, payload, sealed.data())) return false;
  wire = std::move(sealed);
  return true;
}

bool buildClearRecord(uint8_t type, ByteView payload, Bytes& wire) {
  if (payload.size() > kMaxClearPayloadLength) return false;
  wire.resize(kRecordHeaderSize + payload.size());
  writeRecordHeader(wire.data(), type, uint32_t(payload.size()));
  std::copy(payload.begin(), payload.end(), wire.begin() + kRecordHeaderSize);
  return true;
}

bool parseSealedLength(const uint8_t* lengthBytes, uint32_t& length) {
  length = loadLe32(lengthBytes);
  return length >= kMinSealedRecordLength && length <= kMaxSealedRecordLength;
}

bool openSealedRecord(RecordKey& key, const uint8_t* lengthBytes, ByteView sealed,
                      uint8_t* plaintext, RecordHeader& header) {
  uint32_t length = 0;
  if (!parseSealedLength(lengthBytes, length) || sealed.size() != length) return false;
  if (!gcmOpen(key, ByteView(lengthBytes, kRecordLengthSize), sealed, plaintext)) return false;
  RecordHeader parsed;
  if (!parseRecordHeader(plaintext, parsed) ||
      parsed.length != length - kMinSealedRecordLength)
    return false;
  header = parsed;
  return true;
}

namespace {

// Bodies are read in growing steps, starting with this one, so a peer that announces a large
// record and sends little makes us hold no more than about twice what it actually sent.
constexpr size_t kFirstReadStep = 64u << 10;

bool readBody(ByteReader& in, size_t length, Bytes& body) {
  body.clear();
  while (body.size() < length) {
    const size_t done = body.size();
    body.resize(done + std::min(std::max(kFirstReadStep, done), length - done));
    if (!in.readExactly(MutableByteView(body).subspan(done))) return false;
  }
  return true;
}

bool readSealedRecord(ByteReader& in, RecordKey& key, RecordHeader& header, Bytes& payload) {
  uint8_t lengthBytes[kRecordLengthSize];
  uint32_t length = 0;
  if (!in.readExactly(lengthBytes) || !parseSealedLength(lengthBytes, length)) return false;
  Bytes body;
  if (!readBody(in, length, body)) return false;
  RecordHeader parsed;
  if (!openSealedRecord(key, lengthBytes, body, body.data(), parsed)) return false;
  // Plaintext is header then payload; drop the header and the tag's room.
  body.erase(body.begin(), body.begin() + kRecordHeaderSize);
  body.resize(parsed.length);
  header = parsed;
  payload = std::move(body);
  return true;
}

bool readClearRecord(ByteReader& in, RecordHeader& header, Bytes& payload) {
  uint8_t headerBytes[kRecordHeaderSize];
  RecordHeader parsed;
  if (!in.readExactly(headerBytes) || !parseRecordHeader(headerBytes, parsed) ||
      parsed.length > kMaxClearPayloadLength)
    return false;
  Bytes body;
  if (!readBody(in, parsed.length, body)) return false;
  header = parsed;
  payload = std::move(body);
  return true;
}

}  // namespace

bool readRecord(ByteReader& in, RecordKey* key, RecordHeader& header, Bytes& payload) {
  return key ? readSealedRecord(in, *key, header, payload) : readClearRecord(in, header, payload);
}

}  // namespace px
