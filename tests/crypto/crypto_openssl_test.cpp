// The portable vector tests skip ECDH when a provider cannot derive a secret; on Linux that must
// never happen, so a skip there would hide a real fault.
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

}  // namespace
}  // namespace px
