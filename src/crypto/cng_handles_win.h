// RAII owners for the CNG (bcrypt/ncrypt) handle kinds the Windows crypto files use.
#pragma once

#include <windows.h>

#include <bcrypt.h>
#include <ncrypt.h>

#include "base/scoped_handle.h"

namespace px {

struct BcryptAlgTraits {
  using Handle = BCRYPT_ALG_HANDLE;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { BCryptCloseAlgorithmProvider(h, 0); }
};
struct BcryptKeyTraits {
  using Handle = BCRYPT_KEY_HANDLE;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { BCryptDestroyKey(h); }
};
struct BcryptHashTraits {
  using Handle = BCRYPT_HASH_HANDLE;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { BCryptDestroyHash(h); }
};
struct BcryptSecretTraits {
  using Handle = BCRYPT_SECRET_HANDLE;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { BCryptDestroySecret(h); }
};
// Provider and key handles of NCrypt share one release call.
struct NcryptTraits {
  using Handle = NCRYPT_HANDLE;
  static Handle invalid() { return 0; }
  static void close(Handle h) { NCryptFreeObject(h); }
};

using BcryptAlg = ScopedHandle<BcryptAlgTraits>;
using BcryptKey = ScopedHandle<BcryptKeyTraits>;
using BcryptHash = ScopedHandle<BcryptHashTraits>;
using BcryptSecret = ScopedHandle<BcryptSecretTraits>;
using NcryptHandle = ScopedHandle<NcryptTraits>;

// The 8-byte header of CNG's ECC key blobs: magic, then the coordinate length (32 for P-256).
constexpr ULONG kEccBlobHeader = sizeof(BCRYPT_ECCKEY_BLOB);
constexpr ULONG kP256Coord = 32;
constexpr ULONG kEccPublicBlobSize = kEccBlobHeader + 2 * kP256Coord;   // 72: X, Y
constexpr ULONG kEccPrivateBlobSize = kEccBlobHeader + 3 * kP256Coord;  // 104: X, Y, d

}  // namespace px
