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

inline constexpr const char* kNoEcdhReason =
    "ECDH agreement is unavailable on this crypto provider "
    "(BCryptDeriveKey after BCryptSecretAgreement fails, as under Wine)";

}  // namespace px::test
