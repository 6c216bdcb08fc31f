// The identity key as a persisted ECDSA P-256 key in the user's software key storage provider.
// The private half never leaves the key store.
#include <windows.h>

#include <algorithm>

#include "base/log.h"
#include "crypto/cng_handles_win.h"
#include "crypto/identity_key.h"

namespace px {
namespace {

constexpr wchar_t kKeyName[] = L"Parvolex-Identity";

NcryptHandle openOrCreateKey(NCRYPT_PROV_HANDLE provider) {
  NCRYPT_KEY_HANDLE raw = 0;
  if (NCryptOpenKey(provider, &raw, kKeyName, 0, 0) == ERROR_SUCCESS) return NcryptHandle(raw);
  SECURITY_STATUS status =
      NCryptCreatePersistedKey(provider, &raw, NCRYPT_ECDSA_P256_ALGORITHM, kKeyName, 0, 0);
  if (status == NTE_EXISTS) {
    // Another process created it between our open and create: use theirs.
    if (NCryptOpenKey(provider, &raw, kKeyName, 0, 0) == ERROR_SUCCESS) return NcryptHandle(raw);
  }
  if (status != ERROR_SUCCESS) {
    logPrintf("[Parvolex] NCryptCreatePersistedKey falhou (0x%08lx)\n",
              static_cast<unsigned long>(status));
    return NcryptHandle();
  }
  NcryptHandle key(raw);  // released on failure below, before it was ever persisted
  status = NCryptFinalizeKey(key.get(), 0);
  if (status != ERROR_SUCCESS) {
    logPrintf("[Parvolex] NCryptFinalizeKey falhou (0x%08lx)\n",
              static_cast<unsigned long>(status));
    return NcryptHandle();
  }
  return key;
}

NcryptHandle openIdentityKey() {
  NCRYPT_PROV_HANDLE raw = 0;
  const SECURITY_STATUS status = NCryptOpenStorageProvider(&raw, MS_KEY_STORAGE_PROVIDER, 0);
  if (status != ERROR_SUCCESS) {
    logPrintf("[Parvolex] NCryptOpenStorageProvider falhou (0x%08lx)\n",
              static_cast<unsigned long>(status));
    return NcryptHandle();
  }
  NcryptHandle provider(raw);  // released when this returns; the key handle stays valid
  return openOrCreateKey(provider.get());
}

// Opened on the first call from any thread; the outcome, success or not, is kept for the process.
NCRYPT_KEY_HANDLE identityKey() {
  static const NcryptHandle key = openIdentityKey();
  return key.get();
}

}  // namespace

bool identityPublicKey(PublicKey64& out) {
  const NCRYPT_KEY_HANDLE key = identityKey();
  if (!key) return false;
  uint8_t blob[kEccPublicBlobSize + 1];  // one spare byte, so a longer blob is seen as wrong
  DWORD len = 0;
  if (NCryptExportKey(key, 0, BCRYPT_ECCPUBLIC_BLOB, nullptr, blob, sizeof blob, &len, 0) !=
          ERROR_SUCCESS ||
      len != kEccPublicBlobSize || loadLe32(blob) != BCRYPT_ECDSA_PUBLIC_P256_MAGIC ||
      loadLe32(blob + 4) != kP256Coord)
    return false;
  std::copy(blob + kEccBlobHeader, blob + kEccPublicBlobSize, out.begin());
  return true;
}

bool identitySign(const Digest32& digest, Signature64& out) {
  const NCRYPT_KEY_HANDLE key = identityKey();
  if (!key) return false;
  Signature64 made;
  DWORD len = 0;
  if (NCryptSignHash(key, nullptr, const_cast<PBYTE>(digest.data()), DWORD(digest.size()),
                     made.data(), DWORD(made.size()), &len, 0) != ERROR_SUCCESS ||
      len != made.size())
    return false;
  out = made;
  return true;
}

}  // namespace px
