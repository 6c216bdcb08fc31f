// The two P-256 steps of cng_ecc_win.h done by CNG itself.
#include <algorithm>

#include "base/scoped_wipe.h"
#include "crypto/cng_ecc_win.h"

namespace px::cng {

BcryptKey importScalar(const PrivateScalar32& scalar) {
  // CNG has no call that derives the public point; imported with X and Y zeroed and validation
  // off, the provider computes it from d, and the caller's export reads it back.
  EccPrivateBlob blob{};
  ScopedWipe wipe(blob);
  writeEccHeader(blob.data(), kEcdhPrivateMagic);
  std::copy(scalar.begin(), scalar.end(), blob.begin() + kBlobDOffset);
  return importPrivate(ecdhProvider(), blob, BCRYPT_NO_KEY_VALIDATION);
}

bool agreeRaw(BCRYPT_KEY_HANDLE own, const PublicKey64& peer, SharedSecret& out) {
  BcryptKey peerKey = importPublic(ecdhProvider(), kEcdhPublicMagic, peer);
  if (!peerKey) return false;
  BCRYPT_SECRET_HANDLE rawSecret = nullptr;
  if (!BCRYPT_SUCCESS(BCryptSecretAgreement(own, peerKey.get(), &rawSecret, 0))) return false;
  BcryptSecret secret(rawSecret);
  // "TRUNCATE" hands out the shared x-coordinate as it is: little-endian, 32 bytes.
  ULONG len = 0;
  return BCRYPT_SUCCESS(BCryptDeriveKey(secret.get(), BCRYPT_KDF_RAW_SECRET, nullptr, out.data(),
                                        ULONG(out.size()), &len, 0)) &&
         len == out.size();
}

}  // namespace px::cng
