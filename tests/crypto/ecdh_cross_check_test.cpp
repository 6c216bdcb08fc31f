// ECDH checks that tie agreement to key generation: where one library generates keys and another
// multiplies points (the Wine test build: CNG keys, libgcrypt agreement), both must meet here.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "crypto/crypto.h"
#include "support/ecdh_support.h"
#include "support/hex_vectors.h"

namespace px {
namespace {

using test::unhexArray;

#define SKIP_WITHOUT_AGREEMENT() \
  if (!test::ecdhAgreementAvailable()) GTEST_SKIP() << test::kNoEcdhReason
#define SKIP_WITHOUT_SCALAR_IMPORT() \
  if (!test::scalarImportAvailable()) GTEST_SKIP() << test::kNoScalarImportReason

// The P-256 base point G.
const PublicKey64 kGenerator = unhexArray<64>(
    "6b17d1f2e12c4247f8bce6e563a440f277037d812deb33a0f4a13945d898c296"
    "4fe342e2fe1a7f9b8ee7eb4a7c0f9e162bce33576b315ececbb6406837bf51f5");

// Agreeing with G gives d·G: the key's own public point, whose x-coordinate came from key
// generation, here as the secret in little-endian order.
TEST(EcdhCrossCheckTest, AgreementWithTheGeneratorGivesTheOwnPublicX) {
  SKIP_WITHOUT_AGREEMENT();
  for (int i = 0; i < 4; ++i) {
    const EphemeralKey key = ecdhGenerate();
    ASSERT_TRUE(key.valid());
    SharedSecret secret{};
    ASSERT_TRUE(ecdhAgree(key, kGenerator, secret));
    SharedSecret expected;
    std::reverse_copy(key.publicKey().begin(), key.publicKey().begin() + 32, expected.begin());
    EXPECT_EQ(toHex(secret), toHex(expected));
  }
}

// One side generated, the other rebuilt from a published scalar (NIST CAVP KAS ECC CDH P-256,
// count1): each side's public point came from a different step, yet both agree.
TEST(EcdhCrossCheckTest, GeneratedAndScalarKeysAgreeBothWays) {
  SKIP_WITHOUT_AGREEMENT();
  SKIP_WITHOUT_SCALAR_IMPORT();
  const P256KeyPair fromScalar = P256KeyPair::fromPrivateScalar(
      unhexArray<32>("38f65d6dce47676044d58ce5139582d568f64bb16098d179dbab07741dd5caf5"));
  const EphemeralKey generated = ecdhGenerate();
  ASSERT_TRUE(fromScalar.valid() && generated.valid());
  SharedSecret one{}, other{};
  ASSERT_TRUE(ecdhAgree(fromScalar, generated.publicKey(), one));
  ASSERT_TRUE(ecdhAgree(generated, fromScalar.publicKey(), other));
  EXPECT_EQ(one, other);
}

// (0, y) is a point of P-256; the same point with x written as 0 + p is not a valid encoding.
TEST(EcdhCrossCheckTest, CoordinateAtOrAboveTheFieldPrimeIsRefused) {
  SKIP_WITHOUT_AGREEMENT();
  const std::string y = "66485c780e2f83d72433bd5d84a06bb6541c2af31dae871728bf856a174f93f4";
  const PublicKey64 canonical = unhexArray<64>(std::string(64, '0') + y);
  const PublicKey64 shifted =
      unhexArray<64>("ffffffff00000001000000000000000000000000ffffffffffffffffffffffff" + y);
  const EphemeralKey own = ecdhGenerate();
  ASSERT_TRUE(own.valid());
  SharedSecret secret{};
  EXPECT_TRUE(ecdhAgree(own, canonical, secret));
  EXPECT_FALSE(ecdhAgree(own, shifted, secret));
}

}  // namespace
}  // namespace px
