#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/atomic_file.h"
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

TEST(IdentityKeyFileTest, CreatedOnceThenSameKeyOnEveryLoad) {
  test::TempDir dir;
  const auto folder = dir.path() / "data";
  const auto file = folder / "identity.key";
  P256KeyPair first, second;
  ASSERT_EQ(loadOrCreateIdentityKeyFile(file, first), IdentityFileResult::kCreated);
  ASSERT_EQ(loadOrCreateIdentityKeyFile(file, second), IdentityFileResult::kLoaded);
  EXPECT_EQ(first.publicKey(), second.publicKey());
  EXPECT_EQ(modeOf(file), 0600u);
  EXPECT_EQ(modeOf(folder), 0700u);

  Digest32 digest;
  digest.fill(0x42);
  Signature64 signature;
  ASSERT_TRUE(second.sign(digest, signature));
  EXPECT_TRUE(ecdsaVerify(first.publicKey(), digest, signature));
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

// A damaged key file would otherwise silently give the computer a new identity.
TEST(IdentityKeyFileTest, DamagedFileIsRefusedAndLeftAlone) {
  struct Damage {
    const char* name;
    void (*apply)(Bytes&);
  };
  const Damage damages[] = {
      {"empty", [](Bytes& b) { b.clear(); }},
      {"truncated", [](Bytes& b) { b.pop_back(); }},
      {"longer", [](Bytes& b) { b.push_back(0); }},
      {"magic", [](Bytes& b) { b[0] ^= 1; }},
      {"format", [](Bytes& b) { b[4] = 2; }},
      {"scalar", [](Bytes& b) { b[20] ^= 1; }},
      {"public key", [](Bytes& b) { b[100] ^= 1; }},
      {"zero scalar", [](Bytes& b) { std::fill(b.begin() + 5, b.begin() + 37, 0); }},
  };
  for (const Damage& damage : damages) {
    test::TempDir dir;
    const auto file = dir.path() / "identity.key";
    P256KeyPair key;
    ASSERT_EQ(loadOrCreateIdentityKeyFile(file, key), IdentityFileResult::kCreated);
    Bytes contents;
    ASSERT_TRUE(readWholeFile(file, contents));
    damage.apply(contents);
    ASSERT_TRUE(writeFileAtomically(file, contents, FileAccess::kOwnerOnly));

    P256KeyPair reloaded;
    EXPECT_EQ(loadOrCreateIdentityKeyFile(file, reloaded), IdentityFileResult::kCorrupt)
        << damage.name;
    EXPECT_FALSE(reloaded.valid());
    Bytes after;
    ASSERT_TRUE(readWholeFile(file, after));
    EXPECT_EQ(after, contents) << damage.name;
  }
}

TEST(IdentityKeyFileTest, UnwritableFolderMakesKeyUnavailable) {
  test::TempDir dir;
  // The "folder" is a plain file, so nothing can be created inside it.
  const auto notAFolder = dir.path() / "file";
  ASSERT_TRUE(writeFileAtomically(notAFolder, asBytes("x")));
  P256KeyPair key;
  EXPECT_EQ(loadOrCreateIdentityKeyFile(notAFolder / "identity.key", key),
            IdentityFileResult::kUnavailable);
  EXPECT_FALSE(key.valid());
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
