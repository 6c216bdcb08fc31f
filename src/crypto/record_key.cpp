#include <utility>

#include "crypto/crypto_provider.h"

namespace px {

RecordKey::RecordKey() = default;
RecordKey::~RecordKey() = default;
RecordKey::RecordKey(RecordKey&& other) noexcept
    : state_(std::move(other.state_)), counter_(std::exchange(other.counter_, 0)) {}
RecordKey& RecordKey::operator=(RecordKey&& other) noexcept {
  if (this != &other) {
    state_ = std::move(other.state_);
    counter_ = std::exchange(other.counter_, 0);
  }
  return *this;
}

bool RecordKey::create(const AesKey32& key, RecordKey& out) {
  RecordKey made;
  made.state_ = provider::gcmKeyCreate(key);
  if (!made.state_) return false;
  out = std::move(made);
  return true;
}

std::array<uint8_t, kGcmNonceSize> gcmNonce(uint64_t counter) {
  std::array<uint8_t, kGcmNonceSize> nonce{};
  storeLe64(nonce.data() + 4, counter);
  return nonce;
}

bool gcmSeal(RecordKey& key, ByteView aad, ByteView plaintext, uint8_t* out) {
  if (!key.state_) return false;
  const uint64_t counter = key.counter_++;
  return provider::gcmEncrypt(*key.state_, gcmNonce(counter), aad, plaintext, out);
}

bool gcmOpen(RecordKey& key, ByteView aad, ByteView input, uint8_t* out) {
  if (!key.state_ || input.size() < kGcmTagSize) return false;
  // A failed open still consumes its nonce, so both ends stay in step with the stream.
  const uint64_t counter = key.counter_++;
  return provider::gcmDecrypt(*key.state_, gcmNonce(counter), aad, input, out);
}

bool gcmSeal(RecordKey& key, ByteView aad, ByteView plaintext, Bytes& out) {
  Bytes sealed(plaintext.size() + kGcmTagSize);
  if (!gcmSeal(key, aad, plaintext, sealed.data())) return false;
  out = std::move(sealed);
  return true;
}

bool gcmOpen(RecordKey& key, ByteView aad, ByteView input, Bytes& out) {
  Bytes plain(input.size() >= kGcmTagSize ? input.size() - kGcmTagSize : 0);
  if (!gcmOpen(key, aad, input, plain.data())) return false;
  out = std::move(plain);
  return true;
}

EphemeralKey ecdhGenerate() { return P256KeyPair::generate(); }

bool ecdhAgree(const EphemeralKey& own, const PublicKey64& peer, SharedSecret& secret) {
  return own.agree(peer, secret);
}

}  // namespace px
