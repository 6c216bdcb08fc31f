// The identity key file on every platform: its format, the load-or-create rule, damage. The
// permission checks are in identity_key_file_posix_test.cpp.
#include <gtest/gtest.h>

#include "base/atomic_file.h"
#include "crypto/identity_key_file.h"
#include "support/ecdh_support.h"
#include "support/hex_vectors.h"
#include "support/test_paths.h"

namespace px {
namespace {

// Loading rebuilds the key from its scalar.
#define SKIP_WITHOUT_SCALAR_IMPORT() \
  if (!test::scalarImportAvailable()) GTEST_SKIP() << test::kNoScalarImportReason

TEST(IdentityKeyFileTest, CreatedOnceThenSameKeyOnEveryLoad) {
  SKIP_WITHOUT_SCALAR_IMPORT();
  test::TempDir dir;
  const auto folder = dir.path() / "data";
  const auto file = folder / "identity.key";
  P256KeyPair first, second;
  ASSERT_EQ(loadOrCreateIdentityKeyFile(file, first), IdentityFileResult::kCreated);
  ASSERT_EQ(loadOrCreateIdentityKeyFile(file, second), IdentityFileResult::kLoaded);
  EXPECT_EQ(first.publicKey(), second.publicKey());

  Digest32 digest;
  digest.fill(0x42);
  Signature64 signature;
  ASSERT_TRUE(second.sign(digest, signature));
  EXPECT_TRUE(ecdsaVerify(first.publicKey(), digest, signature));
}

// A damaged key file would otherwise silently give the computer a new identity.
TEST(IdentityKeyFileTest, DamagedFileIsRefusedAndLeftAlone) {
  SKIP_WITHOUT_SCALAR_IMPORT();
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

// The format is fixed: a file written on one platform loads on every other. The scalar and its
// public key are the NIST CAVP KAS ECC CDH P-256 vector count0.
TEST(IdentityKeyFileTest, KnownFileLoadsAsWritten) {
  SKIP_WITHOUT_SCALAR_IMPORT();
  const char* scalarHex = "7d7dc5f71eb29ddaf80d6214632eeae03d9058af1fb6d22ed80badb62bc1a534";
  const char* publicHex =
      "ead218590119e8876b29146ff89ca61770c4edbbf97d38ce385ed281d8a6b230"
      "28af61281fd35e2fa7002523acc85a429cb06ee6648325389f59edfce1405141";
  Bytes contents = {'P', 'X', 'I', 'D', 1};
  const Bytes scalar = test::unhex(scalarHex), publicKey = test::unhex(publicHex);
  contents.insert(contents.end(), scalar.begin(), scalar.end());
  contents.insert(contents.end(), publicKey.begin(), publicKey.end());
  test::TempDir dir;
  const auto file = dir.path() / "identity.key";
  ASSERT_TRUE(writeFileAtomically(file, contents, FileAccess::kOwnerOnly));
  P256KeyPair key;
  ASSERT_EQ(loadOrCreateIdentityKeyFile(file, key), IdentityFileResult::kLoaded);
  EXPECT_EQ(toHex(key.publicKey()), publicHex);
  PrivateScalar32 exported{};
  ASSERT_TRUE(key.exportPrivateScalar(exported));
  EXPECT_EQ(toHex(exported), scalarHex);
}

}  // namespace
}  // namespace px
