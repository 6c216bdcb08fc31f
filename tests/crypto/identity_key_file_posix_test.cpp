// The key file's permissions on POSIX, and the device identity that lives in it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/data_folder.h"
#include "crypto/identity_key.h"
#include "crypto/identity_key_file.h"
#include "support/test_paths.h"

namespace px {
namespace {

mode_t modeOf(const std::filesystem::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_mode & 0777;
}

TEST(IdentityKeyFileTest, CreatedOwnerOnlyInAnOwnerOnlyFolder) {
  test::TempDir dir;
  const auto folder = dir.path() / "data";
  const auto file = folder / "identity.key";
  P256KeyPair key;
  ASSERT_EQ(loadOrCreateIdentityKeyFile(file, key), IdentityFileResult::kCreated);
  EXPECT_EQ(modeOf(file), 0600u);
  EXPECT_EQ(modeOf(folder), 0700u);
}

TEST(IdentityKeyFileTest, LooseModeIsTightenedOnLoad) {
  test::TempDir dir;
  const auto file = dir.path() / "identity.key";
  P256KeyPair key;
  ASSERT_EQ(loadOrCreateIdentityKeyFile(file, key), IdentityFileResult::kCreated);
  ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
  ASSERT_EQ(loadOrCreateIdentityKeyFile(file, key), IdentityFileResult::kLoaded);
  EXPECT_EQ(modeOf(file), 0600u);
}

TEST(DeviceIdentityTest, SameKeyOnEveryCallAndSignaturesVerify) {
  test::TempDir dir;
  setDataFolderOverride(dir.path());
  PublicKey64 first{}, second{};
  ASSERT_TRUE(identityPublicKey(first));
  ASSERT_TRUE(identityPublicKey(second));
  EXPECT_EQ(first, second);
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
