// P-256 ECDSA and ECDH against NIST CAVP vectors (186-4 SigVer [P-256,SHA-256]; KAS ECC CDH
// primitive, P-256), plus the key-handling edge cases every provider must share.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "crypto/crypto.h"
#include "support/ecdh_support.h"
#include "support/hex_vectors.h"

namespace px {
namespace {

using test::unhex;
using test::unhexArray;

PublicKey64 point(const char* x, const char* y) {
  return unhexArray<64>(std::string(x) + y);
}

bool agreementAvailable() { return test::ecdhAgreementAvailable(); }

bool scalarImportAvailable() { return test::scalarImportAvailable(); }

#define SKIP_WITHOUT_SCALAR_IMPORT() \
  if (!scalarImportAvailable()) GTEST_SKIP() << test::kNoScalarImportReason

#define SKIP_WITHOUT_AGREEMENT()                                                          \
  if (!agreementAvailable())                                                              \
  GTEST_SKIP() << "ECDH agreement is unavailable on this crypto provider "                \
                  "(BCryptDeriveKey after BCryptSecretAgreement fails, as under Wine)"

// ---- ECDSA verification: CAVP SigVer, [P-256,SHA-256] -----------------------------------------

struct SigVerCase {
  const char* name;
  const char* message;
  const char* qx;
  const char* qy;
  const char* r;
  const char* s;
  bool valid;
};

const SigVerCase kSigVerCases[] = {
    {"pass",
     "e1130af6a38ccb412a9c8d13e15dbfc9e69a16385af3c3f1e5da954fd5e7c45f"
     "d75e2b8c36699228e92840c0562fbf3772f07e17f1add56588dd45f7450e1217"
     "ad239922dd9c32695dc71ff2424ca0dec1321aa47064a044b7fe3c2b97d03ce4"
     "70a592304c5ef21eed9f93da56bb232d1eeb0035f9bf0dfafdcc4606272b20a3",
     "e424dc61d4bb3cb7ef4344a7f8957a0c5134e16f7a67c074f82e6e12f49abf3c",
     "970eed7aa2bc48651545949de1dddaf0127e5965ac85d1243d6f60e7dfaee927",
     "bf96b99aa49c705c910be33142017c642ff540c76349b9dab72f981fd9347f4f",
     "17c55095819089c2e03b9cd415abdf12444e323075d98f31920b9e0f57ec871c", true},
    {"fail_s_changed",
     "e4796db5f785f207aa30d311693b3702821dff1168fd2e04c0836825aefd850d"
     "9aa60326d88cde1a23c7745351392ca2288d632c264f197d05cd424a30336c19"
     "fd09bb229654f0222fcb881a4b35c290a093ac159ce13409111ff0358411133c"
     "24f5b8e2090d6db6558afc36f06ca1f6ef779785adba68db27a409859fc4c4a0",
     "87f8f2b218f49845f6f10eec3877136269f5c1a54736dbdf69f89940cad41555",
     "e15f369036f49842fac7a86c8a2b0557609776814448b8f5e84aa9f4395205e9",
     "d19ff48b324915576416097d2544f7cbdf8768b1454ad20e0baac50e211f23b0",
     "a3e81e59311cdfff2d4784949f7a2cb50ba6c3a91fa54710568e61aca3e847c6", false},
    {"fail_r_changed",
     "069a6e6b93dfee6df6ef6997cd80dd2182c36653cef10c655d524585655462d6"
     "83877f95ecc6d6c81623d8fac4e900ed0019964094e7de91f1481989ae187300"
     "4565789cbf5dc56c62aedc63f62f3b894c9c6f7788c8ecaadc9bd0e81ad91b2b"
     "3569ea12260e93924fdddd3972af5273198f5efda0746219475017557616170e",
     "5cf02a00d205bdfee2016f7421807fc38ae69e6b7ccd064ee689fc1a94a9f7d2",
     "ec530ce3cc5c9d1af463f264d685afe2b4db4b5828d7e61b748930f3ce622a85",
     "dc23d130c6117fb5751201455e99f36f59aba1a6a21cf2d0e7481a97451d6693",
     "d6ce7708c18dbf35d4f8aa7240922dc6823f2e7058cbc1484fcad1599db5018c", false},
    {"fail_q_changed",
     "df04a346cf4d0e331a6db78cca2d456d31b0a000aa51441defdb97bbeb20b94d"
     "8d746429a393ba88840d661615e07def615a342abedfa4ce912e562af7149598"
     "96858af817317a840dcff85a057bb91a3c2bf90105500362754a6dd321cdd861"
     "28cfc5f04667b57aa78c112411e42da304f1012d48cd6a7052d7de44ebcc01de",
     "2ddfd145767883ffbb0ac003ab4a44346d08fa2570b3120dcce94562422244cb",
     "5f70c7d11ac2b7a435ccfbbae02c3df1ea6b532cc0e9db74f93fffca7c6f9a64",
     "9913111cff6f20c5bf453a99cd2c2019a4e749a49724a08774d14e4c113edda8",
     "9467cd4cd21ecb56b0cab0a9a453b43386845459127a952421f5c6382866c5cc", false},
};

class EcdsaSigVer : public ::testing::TestWithParam<SigVerCase> {};

TEST_P(EcdsaSigVer, VerifiesAsPublished) {
  const SigVerCase& c = GetParam();
  const Digest32 digest = sha256({unhex(c.message)});
  const Signature64 signature = unhexArray<64>(std::string(c.r) + c.s);
  EXPECT_EQ(ecdsaVerify(point(c.qx, c.qy), digest, signature), c.valid);
}

INSTANTIATE_TEST_SUITE_P(Cavp, EcdsaSigVer, ::testing::ValuesIn(kSigVerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EcdsaVerifyTest, KeyOffTheCurveIsRefused) {
  const SigVerCase& c = kSigVerCases[0];
  PublicKey64 key = point(c.qx, c.qy);
  key[63] ^= 0x01;
  EXPECT_FALSE(ecdsaVerify(key, sha256({unhex(c.message)}), unhexArray<64>(std::string(c.r) + c.s)));
}

// ---- ECDH: CAVP KAS ECC CDH primitive, P-256 --------------------------------------------------

struct CdhCase {
  const char* name;
  const char* dIut;
  const char* qIutX;
  const char* qIutY;
  const char* qCavsX;
  const char* qCavsY;
  const char* zIut;
};

const CdhCase kCdhCases[] = {
    {"count0", "7d7dc5f71eb29ddaf80d6214632eeae03d9058af1fb6d22ed80badb62bc1a534",
     "ead218590119e8876b29146ff89ca61770c4edbbf97d38ce385ed281d8a6b230",
     "28af61281fd35e2fa7002523acc85a429cb06ee6648325389f59edfce1405141",
     "700c48f77f56584c5cc632ca65640db91b6bacce3a4df6b42ce7cc838833d287",
     "db71e509e3fd9b060ddb20ba5c51dcc5948d46fbf640dfe0441782cab85fa4ac",
     "46fc62106420ff012e54a434fbdd2d25ccc5852060561e68040dd7778997bd7b"},
    {"count1", "38f65d6dce47676044d58ce5139582d568f64bb16098d179dbab07741dd5caf5",
     "119f2f047902782ab0c9e27a54aff5eb9b964829ca99c06b02ddba95b0a3f6d0",
     "8f52b726664cac366fc98ac7a012b2682cbd962e5acb544671d41b9445704d1d",
     "809f04289c64348c01515eb03d5ce7ac1a8cb9498f5caa50197e58d43a86a7ae",
     "b29d84e811197f25eba8f5194092cb6ff440e26d4421011372461f579271cda3",
     "057d636096cb80b67a8c038c890e887d1adfa4195e9b3ce241c8a778c59cda67"},
    {"count2", "1accfaf1b97712b85a6f54b148985a1bdc4c9bec0bd258cad4b3d603f49f32c8",
     "d9f2b79c172845bfdb560bbb01447ca5ecc0470a09513b6126902c6b4f8d1051",
     "f815ef5ec32128d3487834764678702e64e164ff7315185e23aff5facd96d7bc",
     "a2339c12d4a03c33546de533268b4ad667debf458b464d77443636440ee7fec3",
     "ef48a3ab26e20220bcda2c1851076839dae88eae962869a497bf73cb66faf536",
     "2d457b78b4614132477618a5b077965ec90730a8c81a1c75d6d4ec68005d67ec"},
};

class EcdhCdh : public ::testing::TestWithParam<CdhCase> {};

TEST_P(EcdhCdh, PrivateScalarGivesPublishedPublicKeyAndExportsBack) {
  SKIP_WITHOUT_SCALAR_IMPORT();
  const CdhCase& c = GetParam();
  const PrivateScalar32 d = unhexArray<32>(c.dIut);
  const P256KeyPair key = P256KeyPair::fromPrivateScalar(d);
  ASSERT_TRUE(key.valid());
  EXPECT_EQ(toHex(key.publicKey()), toHex(point(c.qIutX, c.qIutY)));
  PrivateScalar32 exported{};
  ASSERT_TRUE(key.exportPrivateScalar(exported));
  EXPECT_EQ(exported, d);
}

// The shared secret is the x-coordinate in little-endian order: the published Z reversed.
TEST_P(EcdhCdh, AgreementGivesReversedZ) {
  SKIP_WITHOUT_SCALAR_IMPORT();
  SKIP_WITHOUT_AGREEMENT();
  const CdhCase& c = GetParam();
  const P256KeyPair key = P256KeyPair::fromPrivateScalar(unhexArray<32>(c.dIut));
  ASSERT_TRUE(key.valid());
  SharedSecret secret{};
  ASSERT_TRUE(ecdhAgree(key, point(c.qCavsX, c.qCavsY), secret));
  SharedSecret expected = unhexArray<32>(c.zIut);
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(toHex(secret), toHex(expected));
}

INSTANTIATE_TEST_SUITE_P(Cavp, EcdhCdh, ::testing::ValuesIn(kCdhCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EcdhTest, PeerOffTheCurveIsRefused) {
  const EphemeralKey own = ecdhGenerate();
  ASSERT_TRUE(own.valid());
  PublicKey64 peer = point(kCdhCases[0].qCavsX, kCdhCases[0].qCavsY);
  peer[63] ^= 0x01;
  SharedSecret secret;
  secret.fill(0x77);
  EXPECT_FALSE(ecdhAgree(own, peer, secret));
  EXPECT_FALSE(ecdhAgree(own, PublicKey64{}, secret));  // not a point either
  SharedSecret untouched;
  untouched.fill(0x77);
  EXPECT_EQ(secret, untouched);
}

TEST(EcdhTest, BothSidesDeriveTheSameSecret) {
  SKIP_WITHOUT_AGREEMENT();
  const EphemeralKey a = ecdhGenerate(), b = ecdhGenerate();
  ASSERT_TRUE(a.valid() && b.valid());
  EXPECT_NE(a.publicKey(), b.publicKey());
  SharedSecret ab{}, ba{};
  ASSERT_TRUE(ecdhAgree(a, b.publicKey(), ab));
  ASSERT_TRUE(ecdhAgree(b, a.publicKey(), ba));
  EXPECT_EQ(ab, ba);
}

TEST(EcdhTest, InvalidKeyRefusesEverything) {
  const P256KeyPair none;
  SharedSecret secret{};
  Signature64 signature{};
  PrivateScalar32 scalar{};
  EXPECT_FALSE(none.agree(ecdhGenerate().publicKey(), secret));
  EXPECT_FALSE(none.sign(Digest32{}, signature));
  EXPECT_FALSE(none.exportPrivateScalar(scalar));
}

// ---- Private scalars --------------------------------------------------------------------------

constexpr char kOrderHex[] = "ffffffff00000000ffffffffffffffffbce6faada7179e84f3b9cac2fc632551";

TEST(P256ScalarTest, ZeroAndScalarsFromTheOrderUpAreRefused) {
  EXPECT_FALSE(P256KeyPair::fromPrivateScalar(PrivateScalar32{}).valid());
  PrivateScalar32 order = unhexArray<32>(kOrderHex);
  EXPECT_FALSE(P256KeyPair::fromPrivateScalar(order).valid());
  order[31] += 1;
  EXPECT_FALSE(P256KeyPair::fromPrivateScalar(order).valid());
  PrivateScalar32 allOnes;
  allOnes.fill(0xff);
  EXPECT_FALSE(P256KeyPair::fromPrivateScalar(allOnes).valid());
}

TEST(P256ScalarTest, OneGivesTheGeneratorAndOrderMinusOneIsAccepted) {
  SKIP_WITHOUT_SCALAR_IMPORT();
  PrivateScalar32 orderMinusOne = unhexArray<32>(kOrderHex);
  orderMinusOne[31] -= 1;
  EXPECT_TRUE(P256KeyPair::fromPrivateScalar(orderMinusOne).valid());
  PrivateScalar32 one{};
  one[31] = 1;
  const P256KeyPair generator = P256KeyPair::fromPrivateScalar(one);
  ASSERT_TRUE(generator.valid());
  EXPECT_EQ(toHex(generator.publicKey()),
            "6b17d1f2e12c4247f8bce6e563a440f277037d812deb33a0f4a13945d898c296"
            "4fe342e2fe1a7f9b8ee7eb4a7c0f9e162bce33576b315ececbb6406837bf51f5");
}

TEST(P256ScalarTest, GeneratedKeyExportsAScalarThatRebuildsIt) {
  const P256KeyPair key = P256KeyPair::generate();
  ASSERT_TRUE(key.valid());
  PrivateScalar32 scalar{};
  ASSERT_TRUE(key.exportPrivateScalar(scalar));
  EXPECT_NE(scalar, PrivateScalar32{});
  SKIP_WITHOUT_SCALAR_IMPORT();
  EXPECT_EQ(P256KeyPair::fromPrivateScalar(scalar).publicKey(), key.publicKey());
}

// ---- Sign, then verify ------------------------------------------------------------------------

class SignVerify : public ::testing::TestWithParam<bool> {
 protected:
  P256KeyPair makeKey() {
    if (!GetParam()) return P256KeyPair::generate();
    return P256KeyPair::fromPrivateScalar(unhexArray<32>(kCdhCases[1].dIut));
  }
};

TEST_P(SignVerify, SignatureVerifiesAndAnyFlippedByteFails) {
  if (GetParam()) {
    SKIP_WITHOUT_SCALAR_IMPORT();
  }
  const P256KeyPair key = makeKey();
  ASSERT_TRUE(key.valid());
  const Digest32 digest = sha256({asBytes("parvolex-test-digest")});
  Signature64 signature{};
  ASSERT_TRUE(key.sign(digest, signature));
  ASSERT_TRUE(ecdsaVerify(key.publicKey(), digest, signature));

  for (size_t i = 0; i < digest.size(); ++i) {
    Digest32 bad = digest;
    bad[i] ^= 0x01;
    EXPECT_FALSE(ecdsaVerify(key.publicKey(), bad, signature)) << "digest byte " << i;
  }
  for (size_t i = 0; i < key.publicKey().size(); ++i) {
    PublicKey64 bad = key.publicKey();
    bad[i] ^= 0x01;
    EXPECT_FALSE(ecdsaVerify(bad, digest, signature)) << "key byte " << i;
  }
  for (size_t i = 0; i < signature.size(); ++i) {
    Signature64 bad = signature;
    bad[i] ^= 0x01;
    EXPECT_FALSE(ecdsaVerify(key.publicKey(), digest, bad)) << "signature byte " << i;
  }
  EXPECT_FALSE(ecdsaVerify(key.publicKey(), digest, Signature64{}));
}

INSTANTIATE_TEST_SUITE_P(Keys, SignVerify, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "from_scalar" : "generated");
});

}  // namespace
}  // namespace px
