#include "protocol/access_password.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

namespace px {
namespace {

Digest32 digestFromHex(std::string_view hex) {
  Bytes raw;
  EXPECT_TRUE(fromHex(hex, raw));
  Digest32 out{};
  std::copy(raw.begin(), raw.end(), out.begin());
  return out;
}

TEST(PasswordHashTest, LegacyIterationsHashSaltThenPassword) {
  PasswordSalt salt;
  for (size_t i = 0; i < salt.size(); ++i) salt[i] = uint8_t(i);
  Digest32 hash;
  ASSERT_TRUE(hashAccessPassword(asBytes("senha-antiga"), salt, 0, hash));
  EXPECT_EQ(hash,
            digestFromHex("023374eaee291c2e8fcc565ac529b0a6ee3107ee8fa1fb506283b72727363d10"));
}

TEST(PasswordHashTest, IterationsSelectPbkdf2) {
  PasswordSalt salt;
  salt.fill(0xA5);
  Digest32 hash;
  ASSERT_TRUE(hashAccessPassword(asBytes("segredo123"), salt, 1000, hash));
  EXPECT_EQ(hash,
            digestFromHex("befe59101c877e232b31698887f0b4a626c22abbe88a7d3e57018f82cf3f0bce"));
}

TEST(PasswordHashTest, RefusesMoreIterationsThanAViewerComputes) {
  Digest32 hash;
  EXPECT_FALSE(hashAccessPassword(asBytes("x"), PasswordSalt{}, kMaxPasswordIterations + 1, hash));
}

TEST(PasswordProofTest, KnownAnswer) {
  const Digest32 hash =
      digestFromHex("023374eaee291c2e8fcc565ac529b0a6ee3107ee8fa1fb506283b72727363d10");
  SessionHash session;
  session.fill(0x11);
  Digest32 proof;
  ASSERT_TRUE(accessPasswordProof(hash, session, proof));
  EXPECT_EQ(proof,
            digestFromHex("180e9a11f1a7a671ecaca82e31292f7bf35abf48caa8ba22b62c024c7cebcb6b"));
}

TEST(PasswordProofTest, BoundToTheChannel) {
  Digest32 hash;
  hash.fill(3);
  SessionHash one, two;
  one.fill(1);
  two.fill(2);
  Digest32 a, b, again;
  ASSERT_TRUE(accessPasswordProof(hash, one, a));
  ASSERT_TRUE(accessPasswordProof(hash, two, b));
  ASSERT_TRUE(accessPasswordProof(hash, one, again));
  EXPECT_NE(a, b);
  EXPECT_EQ(a, again);
}

TEST(PasswordProofTest, HostAcceptsOnlyTheExactProof) {
  Digest32 hash;
  hash.fill(9);
  SessionHash session;
  session.fill(4);
  Digest32 proof;
  ASSERT_TRUE(accessPasswordProof(hash, session, proof));
  EXPECT_TRUE(accessProofMatches(hash, session, proof));
  for (size_t position : {0u, 1u, 16u, 31u}) {
    Digest32 wrong = proof;
    wrong[position] ^= 0x80;
    EXPECT_FALSE(accessProofMatches(hash, session, wrong)) << "byte " << position;
  }
  EXPECT_FALSE(accessProofMatches(hash, session, Digest32{}));
}

}  // namespace
}  // namespace px
