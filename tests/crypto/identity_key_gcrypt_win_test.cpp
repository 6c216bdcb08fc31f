// The device identity of the Wine test build: the key file in the data folder, as on Linux.
#include <gtest/gtest.h>

#include "base/data_folder.h"
#include "crypto/identity_key.h"
#include "crypto/identity_key_file.h"
#include "support/test_paths.h"

namespace px {
namespace {

TEST(DeviceIdentityWineTest, TheDataFolderKeyFileSignsAndStaysTheSame) {
  test::TempDir dir;
  setDataFolderOverride(dir.path());
  PublicKey64 first{}, second{};
  ASSERT_TRUE(identityPublicKey(first));
  ASSERT_TRUE(identityPublicKey(second));
  EXPECT_EQ(first, second);
  // Opened once per process: an earlier test may have opened it in another folder.
  const P256KeyPair* fileKey = dataFolderIdentityKey();
  ASSERT_NE(fileKey, nullptr);
  EXPECT_EQ(fileKey->publicKey(), first);
  if (std::filesystem::exists(dir.path() / "identity.key")) {
    P256KeyPair reloaded;
    ASSERT_EQ(loadOrCreateIdentityKeyFile(dir.path() / "identity.key", reloaded),
              IdentityFileResult::kLoaded);
    EXPECT_EQ(reloaded.publicKey(), first);
  }
  Digest32 digest;
  digest.fill(7);
  Signature64 signature;
  ASSERT_TRUE(identitySign(digest, signature));
  EXPECT_TRUE(ecdsaVerify(first, digest, signature));
  digest[0] ^= 1;
  EXPECT_FALSE(ecdsaVerify(first, digest, signature));
  setDataFolderOverride({});
}

}  // namespace
}  // namespace px
