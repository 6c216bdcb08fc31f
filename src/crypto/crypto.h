// The cryptographic operations every protocol step goes through. Byte formats are fixed here,
// because they travel on the wire: whichever provider serves them (CNG on Windows, OpenSSL's
// libcrypto on Linux) reproduces them exactly.
//
// Thread use: no shared mutable state beyond the providers' one-time handles, so any thread may
// call these. A RecordKey is not locked: one thread at a time per key.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "base/bytes.h"

namespace px {

// P-256 public point: X then Y, 32 bytes each, big-endian, no format byte.
using PublicKey64 = std::array<uint8_t, 64>;
// ECDSA P-256 signature: r then s, 32 bytes each, big-endian. Never DER.
using Signature64 = std::array<uint8_t, 64>;
using Digest32 = std::array<uint8_t, 32>;
using SessionHash = Digest32;
// ECDH output: the shared point's x-coordinate in little-endian byte order.
using SharedSecret = std::array<uint8_t, 32>;
using AesKey32 = std::array<uint8_t, 32>;
// Big-endian private scalar, for keys that a process keeps in a file of its own.
using PrivateScalar32 = std::array<uint8_t, 32>;

constexpr size_t kGcmTagSize = 16;
constexpr size_t kGcmNonceSize = 12;

struct P256KeyState;  // provider-owned private key
struct GcmKeyState;   // provider-owned expanded AES key
struct GcmKeyStateDeleter {
  void operator()(GcmKeyState* state) const;  // defined by the provider
};

// A P-256 key pair with its private half. Ephemeral agreement keys and the long-lived keys that
// live in files (the relay's key, the identity key on platforms without a key store) are both
// this. A key whose generation or import failed is !valid() and every operation on it fails.
// The private key is destroyed with the object.
class P256KeyPair {
 public:
  P256KeyPair();
  ~P256KeyPair();
  P256KeyPair(P256KeyPair&&) noexcept;
  P256KeyPair& operator=(P256KeyPair&&) noexcept;

  static P256KeyPair generate();
  // Fails (invalid result) when the scalar is zero or not below the group order.
  static P256KeyPair fromPrivateScalar(const PrivateScalar32& scalar);

  bool valid() const { return state_ != nullptr; }
  const PublicKey64& publicKey() const { return public_; }

  bool exportPrivateScalar(PrivateScalar32& out) const;
  // Signs a digest as it is (no second hash).
  bool sign(const Digest32& digest, Signature64& out) const;
  // Fails when `peer` is not a point on the curve.
  bool agree(const PublicKey64& peer, SharedSecret& out) const;

 private:
  std::unique_ptr<P256KeyState> state_;
  PublicKey64 public_{};
};

using EphemeralKey = P256KeyPair;

EphemeralKey ecdhGenerate();
bool ecdhAgree(const EphemeralKey& own, const PublicKey64& peer, SharedSecret& secret);

// SHA-256 of the concatenation of `parts`.
Digest32 sha256(std::initializer_list<ByteView> parts);
bool hmacSha256(ByteView key, std::initializer_list<ByteView> parts, Digest32& out);
bool pbkdf2Sha256(ByteView password, ByteView salt, uint32_t iterations, Digest32& out);
bool randomBytes(MutableByteView out);
bool ecdsaVerify(const PublicKey64& key, const Digest32& digest, const Signature64& signature);

// An AES-256-GCM key for one direction, with the counter its nonces come from. The nonce of every
// seal or open is four zero bytes followed by the counter as 8 bytes little-endian; the counter
// advances at every seal and at every open that gets past the length check.
class RecordKey {
 public:
  RecordKey();
  ~RecordKey();
  RecordKey(RecordKey&&) noexcept;
  RecordKey& operator=(RecordKey&&) noexcept;

  // False (and an invalid key) when the provider refuses the key.
  static bool create(const AesKey32& key, RecordKey& out);

  bool valid() const { return state_ != nullptr; }
  uint64_t counter() const { return counter_; }

 private:
  friend bool gcmSeal(RecordKey&, ByteView, ByteView, uint8_t*);
  friend bool gcmOpen(RecordKey&, ByteView, ByteView, uint8_t*);
  std::unique_ptr<GcmKeyState, GcmKeyStateDeleter> state_;
  uint64_t counter_ = 0;
};

// Writes plaintext.size() + 16 bytes to `out`: ciphertext, then tag. `out` may equal
// plaintext.data() (sealing in place).
bool gcmSeal(RecordKey& key, ByteView aad, ByteView plaintext, uint8_t* out);
// Writes input.size() - 16 bytes of plaintext to `out` (which may equal input.data()). Input
// shorter than the tag fails without using a nonce.
bool gcmOpen(RecordKey& key, ByteView aad, ByteView input, uint8_t* out);

bool gcmSeal(RecordKey& key, ByteView aad, ByteView plaintext, Bytes& out);
bool gcmOpen(RecordKey& key, ByteView aad, ByteView input, Bytes& out);

std::array<uint8_t, kGcmNonceSize> gcmNonce(uint64_t counter);

}  // namespace px
