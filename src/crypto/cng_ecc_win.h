// The ECC blob helpers of the CNG provider (crypto_cng.cpp), and the two P-256 steps that have a
// second implementation: ecdh_cng.cpp uses CNG for them; ecdh_gcrypt_win.cpp, for the Wine test
// build, uses libgcrypt, since Wine's CNG derives no public point and no shared secret.
#pragma once

#include "crypto/cng_handles_win.h"
#include "crypto/crypto.h"

namespace px::cng {

// CNG's ECC blob magics for P-256.
constexpr ULONG kEcdhPublicMagic = BCRYPT_ECDH_PUBLIC_P256_MAGIC;      // "ECK1"
constexpr ULONG kEcdhPrivateMagic = BCRYPT_ECDH_PRIVATE_P256_MAGIC;    // "ECK2"
constexpr ULONG kEcdsaPublicMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;    // "ECS1"
constexpr ULONG kEcdsaPrivateMagic = BCRYPT_ECDSA_PRIVATE_P256_MAGIC;  // "ECS2"

// A private blob: header, X, Y, d.
using EccPrivateBlob = std::array<uint8_t, kEccPrivateBlobSize>;
constexpr size_t kBlobXOffset = kEccBlobHeader;
constexpr size_t kBlobDOffset = kEccBlobHeader + 2 * kP256Coord;

// The process-wide agreement provider (null when it failed to open).
BCRYPT_ALG_HANDLE ecdhProvider();

void writeEccHeader(uint8_t* blob, ULONG magic);
// Imports a 64-byte X||Y point as a public key of `alg`; CNG refuses points off the curve.
BcryptKey importPublic(BCRYPT_ALG_HANDLE alg, ULONG magic, const PublicKey64& point);
bool exportPublic(BCRYPT_KEY_HANDLE key, ULONG magic, PublicKey64& out);
// The private blob of an agreement key. The caller wipes it.
bool exportPrivate(BCRYPT_KEY_HANDLE key, EccPrivateBlob& blob);
BcryptKey importPrivate(BCRYPT_ALG_HANDLE alg, const EccPrivateBlob& blob, ULONG flags);

// An agreement key from a private scalar already checked to lie in [1, n), with its public point.
BcryptKey importScalar(const PrivateScalar32& scalar);
// The x-coordinate of own·peer, little-endian. Fails when `peer` is not a point on the curve.
bool agreeRaw(BCRYPT_KEY_HANDLE own, const PublicKey64& peer, SharedSecret& out);

}  // namespace px::cng
