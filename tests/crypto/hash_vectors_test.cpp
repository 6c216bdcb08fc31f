// Published known answers for SHA-256, HMAC-SHA-256 and PBKDF2-HMAC-SHA256. The same table runs
// against every provider (OpenSSL natively, CNG under Wine).
#include <gtest/gtest.h>

#include <string>

#include "crypto/crypto.h"
namespace px {
namespace {

std::string digestHex(const Digest32& digest) { return toHex(digest); }

// FIPS 180-2, appendix B, and the empty message.
struct ShaCase {
  const char* name;
  std::string message;
  const char* digest;
};

const ShaCase kShaCases[] = {
    {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"two_blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"million_a", std::string(1000000, 'a'),
     "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

class Sha256Vectors : public ::testing::TestWithParam<ShaCase> {};

TEST_P(Sha256Vectors, MatchesPublishedDigest) {
  EXPECT_EQ(digestHex(sha256({asBytes(GetParam().message)})), GetParam().digest);
}

TEST_P(Sha256Vectors, SplitInputHashesLikeTheConcatenation) {
  const std::string& message = GetParam().message;
  const size_t cut = message.size() / 3;
  const ByteView all = asBytes(message);
  EXPECT_EQ(digestHex(sha256({{}, all.first(cut), {}, all.subspan(cut)})), GetParam().digest);
}

INSTANTIATE_TEST_SUITE_P(Fips180, Sha256Vectors, ::testing::ValuesIn(kShaCases),
                         [](const auto& info) { return std::string(info.param.name); });

// RFC 4231 test cases 1-7 (case 5's tag is published truncated to 128 bits), plus the empty key
// and message, which providers must accept.
struct HmacCase {
  const char* name;
  Bytes key;
  Bytes data;
  const char* mac;  // hex; compared as a prefix when shorter than 32 bytes
};

Bytes text(std::string_view s) { return Bytes(s.begin(), s.end()); }

Bytes counting(uint8_t first, uint8_t last) {
  Bytes out;
  for (unsigned v = first; v <= last; ++v) out.push_back(uint8_t(v));
  return out;
}

const HmacCase kHmacCases[] = {
    {"rfc4231_1", Bytes(20, 0x0b), text("Hi There"),
     "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
    {"rfc4231_2", text("Jefe"), text("what do ya want for nothing?"),
     "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
    {"rfc4231_3", Bytes(20, 0xaa), Bytes(50, 0xdd),
     "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
    {"rfc4231_4", counting(0x01, 0x19), Bytes(50, 0xcd),
     "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
    {"rfc4231_5", Bytes(20, 0x0c), text("Test With Truncation"),
     "a3b6167473100ee06e0c796c2955552b"},
    {"rfc4231_6", Bytes(131, 0xaa), text("Test Using Larger Than Block-Size Key - Hash Key First"),
     "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
    {"rfc4231_7", Bytes(131, 0xaa),
     text("This is a test using a larger than block-size key and a larger than block-size data. "
          "The key needs to be hashed before being used by the HMAC algorithm."),
     "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
    {"empty_key_and_data", {}, {},
     "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad"},
};

class HmacSha256Vectors : public ::testing::TestWithParam<HmacCase> {};

TEST_P(HmacSha256Vectors, MatchesPublishedMac) {
  const HmacCase& c = GetParam();
  Digest32 mac{};
  ASSERT_TRUE(hmacSha256(c.key, {c.data}, mac));
  const std::string expected = c.mac;
  EXPECT_EQ(digestHex(mac).substr(0, expected.size()), expected);
}

TEST_P(HmacSha256Vectors, SplitDataMacsLikeTheConcatenation) {
  const HmacCase& c = GetParam();
  const ByteView data = c.data;
  Digest32 whole{}, split{};
  ASSERT_TRUE(hmacSha256(c.key, {data}, whole));
  ASSERT_TRUE(hmacSha256(c.key, {data.first(data.size() / 2), {}, data.subspan(data.size() / 2)},
                         split));
  EXPECT_EQ(split, whole);
}

INSTANTIATE_TEST_SUITE_P(Rfc4231, HmacSha256Vectors, ::testing::ValuesIn(kHmacCases),
                         [](const auto& info) { return std::string(info.param.name); });

// RFC 7914 section 11 (first 32 bytes of its 64-byte outputs) and the widely published
// PBKDF2-HMAC-SHA256 answers for "password"/"salt".
struct PbkdfCase {
  const char* name;
  const char* password;
  const char* salt;
  uint32_t iterations;
  const char* key;
};

const PbkdfCase kPbkdfCases[] = {
    {"rfc7914_c1", "passwd", "salt", 1,
     "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"},
    {"rfc7914_c80000", "Password", "NaCl", 80000,
     "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"},
    {"password_c1", "password", "salt", 1,
     "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"},
    {"password_c2", "password", "salt", 2,
     "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43"},
    {"password_c4096", "password", "salt", 4096,
     "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"},
};

class Pbkdf2Vectors : public ::testing::TestWithParam<PbkdfCase> {};

TEST_P(Pbkdf2Vectors, MatchesPublishedKey) {
  const PbkdfCase& c = GetParam();
  Digest32 key{};
  ASSERT_TRUE(pbkdf2Sha256(asBytes(c.password), asBytes(c.salt), c.iterations, key));
  EXPECT_EQ(digestHex(key), c.key);
}

INSTANTIATE_TEST_SUITE_P(Published, Pbkdf2Vectors, ::testing::ValuesIn(kPbkdfCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Pbkdf2Test, ZeroIterationsFailWithoutTouchingOutput) {
  Digest32 key;
  key.fill(0x5a);
  EXPECT_FALSE(pbkdf2Sha256(asBytes("password"), asBytes("salt"), 0, key));
  Digest32 untouched;
  untouched.fill(0x5a);
  EXPECT_EQ(key, untouched);
}

TEST(Pbkdf2Test, EmptyPasswordAndSaltAreAccepted) {
  Digest32 a{}, b{};
  ASSERT_TRUE(pbkdf2Sha256({}, {}, 2, a));
  ASSERT_TRUE(pbkdf2Sha256({}, asBytes("salt"), 2, b));
  EXPECT_NE(a, b);
}

TEST(RandomBytesTest, FillsBuffersOfAnySize) {
  Bytes a(64), b(64);
  ASSERT_TRUE(randomBytes(a));
  ASSERT_TRUE(randomBytes(b));
  EXPECT_NE(a, b);  // 2^-512 chance of a false failure
  EXPECT_TRUE(randomBytes(MutableByteView{}));
}

}  // namespace
}  // namespace px
