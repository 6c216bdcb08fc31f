// Whether this crypto provider can complete an ECDH agreement. Wine's CNG cannot
// (BCryptDeriveKey after BCryptSecretAgreement fails), so tests that run a real handshake skip
// there with this reason instead of failing.
#pragma once

#include "crypto/crypto.h"

namespace px::test {

inline bool ecdhAgreementAvailable() {
  static const bool available = [] {
    const EphemeralKey a = ecdhGenerate(), b = ecdhGenerate();
    SharedSecret z{};
    return a.valid() && b.valid() && ecdhAgree(a, b.publicKey(), z);
  }();
  return available;
}

// Whether this provider builds a P-256 key from a bare private scalar (Wine's CNG cannot derive
// the public point; the Wine test build takes it from libgcrypt).
inline bool scalarImportAvailable() {
  static const bool available = [] {
    PrivateScalar32 one{};
    one[31] = 1;
    return P256KeyPair::fromPrivateScalar(one).valid();
  }();
  return available;
}

inline constexpr const char* kNoScalarImportReason =
    "this crypto provider cannot build a P-256 key from a private scalar "
    "(ECC private blob with zeroed X and Y refused, as under Wine)";

inline constexpr const char* kNoEcdhReason =
    "ECDH agreement is unavailable on this crypto provider "
    "(BCryptDeriveKey after BCryptSecretAgreement fails, as under Wine)";

}  // namespace px::test
