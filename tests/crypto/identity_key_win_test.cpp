// The persisted identity key in the software key storage provider. Where the key store cannot
// hold an ECDSA P-256 key at all (Wine answers NTE_NOT_SUPPORTED), the tests skip with the reason.
#include <windows.h>

#include <gtest/gtest.h>

#include <ncrypt.h>

#include <cstdio>

#include "crypto/identity_key.h"

namespace px {
namespace {

// Why the key store refuses P-256 keys, or ERROR_SUCCESS when it can make one (ephemeral, so
// the probe leaves nothing behind).
SECURITY_STATUS keyStoreRefusal() {
  NCRYPT_PROV_HANDLE provider = 0;
  SECURITY_STATUS status = NCryptOpenStorageProvider(&provider, MS_KEY_STORAGE_PROVIDER, 0);
  if (status != ERROR_SUCCESS) return status;
  NCRYPT_KEY_HANDLE key = 0;
  status = NCryptCreatePersistedKey(provider, &key, NCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0, 0);
  if (key) NCryptFreeObject(key);
  NCryptFreeObject(provider);
  return status;
}

// Fails the test unless the key is available; skips when the platform's key store cannot hold it.
#define REQUIRE_IDENTITY_KEY(out)                                                          \
  if (!identityPublicKey(out)) {                                                           \
    const SECURITY_STATUS refusal = keyStoreRefusal();                                     \
    if (refusal == NTE_NOT_SUPPORTED) {                                                    \
      GTEST_SKIP() << "the key storage provider cannot create ECDSA P-256 keys "           \
                      "(NTE_NOT_SUPPORTED, as under Wine)";                                \
    }                                                                                      \
    char code[16];                                                                         \
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(refusal));      \
    FAIL() << "identity key unavailable; key store probe gave " << code;                   \
  }

TEST(IdentityKeyWinTest, PublicKeyIsStableWithinTheProcess) {
  PublicKey64 first{}, second{};
  REQUIRE_IDENTITY_KEY(first);
  ASSERT_TRUE(identityPublicKey(second));
  EXPECT_EQ(first, second);
}

TEST(IdentityKeyWinTest, SignatureVerifiesAgainstThePublicKey) {
  PublicKey64 key{};
  REQUIRE_IDENTITY_KEY(key);
  const Digest32 digest = sha256({asBytes("identity digest")});
  Signature64 signature{};
  ASSERT_TRUE(identitySign(digest, signature));
  EXPECT_TRUE(ecdsaVerify(key, digest, signature));
  Digest32 other = digest;
  other[0] ^= 0x01;
  EXPECT_FALSE(ecdsaVerify(key, other, signature));
}

}  // namespace
}  // namespace px
