// The byte-level record format, over buffers only: sealing a record into one wire buffer, the
// length check, opening and checking a record, and reading one record from any byte source.
// SecureChannel puts these on a socket; tests, fuzzers and benchmarks use them directly.
// Formats and limits are in secure_channel.h.
#pragma once

#include <cstdint>

#include "crypto/crypto.h"
#include "net/secure_channel.h"

namespace px {

constexpr size_t kRecordLengthSize = 4;
constexpr char kRecordMagic[4] = {'X', 'V', 'R', 'P'};
// The largest payload one sealed record carries: 67,108,838 bytes.
constexpr size_t kMaxSealedPayloadLength = kMaxSealedRecordLength - kMinSealedRecordLength;

// Bytes a sealed record with an n-byte payload takes on the wire: L, ciphertext, tag.
constexpr size_t sealedWireSize(size_t payloadLength) {
  return kRecordLengthSize + kRecordHeaderSize + payloadLength + kGcmTagSize;
}

void writeRecordHeader(uint8_t* out, uint8_t type, uint32_t payloadLength);
// Checks the magic only; any version is accepted and handed back.
bool parseRecordHeader(const uint8_t* in, RecordHeader& header);

// Seals header and payload in one GCM call and writes sealedWireSize(n) bytes to `out`: L, then
// ciphertext and tag. Fails (writing nothing useful) when the payload exceeds the record limit.
bool sealRecordInto(RecordKey& key, uint8_t type, ByteView payload, uint8_t* out);
bool sealRecord(RecordKey& key, uint8_t type, ByteView payload, Bytes& wire);
// The clear form: header then payload. Fails when the payload exceeds kMaxClearPayloadLength.
bool buildClearRecord(uint8_t type, ByteView payload, Bytes& wire);

// Reads L from its 4 wire bytes and checks 26 <= L <= 64 MiB.
bool parseSealedLength(const uint8_t* lengthBytes, uint32_t& length);
// Opens the L bytes after the length (`sealed`) into `plaintext` (L - 16 bytes; may be
// sealed.data()) with the length bytes as additional data, then checks the magic and that the
// header's payload length is L - 26. On success the payload is plaintext + 10.
bool openSealedRecord(RecordKey& key, const uint8_t* lengthBytes, ByteView sealed,
                      uint8_t* plaintext, RecordHeader& header);

// A source of bytes that either delivers the whole count or fails (closed, time-out, error).
class ByteReader {
 public:
  virtual ~ByteReader() = default;
  virtual bool readExactly(MutableByteView out) = 0;
};

// Reads one record: sealed when `key` is given, clear otherwise. Reads nothing beyond the
// 4 length bytes when L is out of range, and nothing beyond the header when a clear header is bad.
bool readRecord(ByteReader& in, RecordKey* key, RecordHeader& header, Bytes& payload);

}  // namespace px
