// The portable vector tests skip ECDH and private-scalar import when a provider lacks them; on
// Linux neither may be missing, so a skip there would hide a real fault.
#include <gtest/gtest.h>

#include "crypto/crypto.h"

namespace px {
namespace {

TEST(OpensslProviderTest, EcdhAgreementIsAvailable) {
  const EphemeralKey a = ecdhGenerate(), b = ecdhGenerate();
  ASSERT_TRUE(a.valid() && b.valid());
  SharedSecret secret{};
  EXPECT_TRUE(ecdhAgree(a, b.publicKey(), secret));
}

TEST(OpensslProviderTest, PrivateScalarImportIsAvailable) {
  PrivateScalar32 one{};
  one[31] = 1;
  EXPECT_TRUE(P256KeyPair::fromPrivateScalar(one).valid());
}

}  // namespace
}  // namespace px
