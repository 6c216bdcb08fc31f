// AES-256-GCM known answers at the provider level, where the nonce is free. Vectors: the AES-256
// cases with a 96-bit IV from McGrew and Viega's published GCM test set (test cases 13 to 16), as used by
// NIST's GCM validation.
#include <gtest/gtest.h>

#include <string>

#include "crypto/crypto_provider.h"
#include "support/hex_vectors.h"

namespace px {
namespace {

using test::unhex;
using test::unhexArray;

struct GcmCase {
  const char* name;
  const char* key;
  const char* iv;
  const char* plaintext;
  const char* aad;
  const char* ciphertext;
  const char* tag;
};

constexpr char kZeroKey[] = "0000000000000000000000000000000000000000000000000000000000000000";
constexpr char kKey15[] = "feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308";
constexpr char kIv15[] = "cafebabefacedbaddecaf888";

const GcmCase kGcmCases[] = {
    {"tc13_empty", kZeroKey, "000000000000000000000000", "", "", "",
     "530f8afbc74536b9a963b4f1c4cb738b"},
    {"tc14_one_block", kZeroKey, "000000000000000000000000", "00000000000000000000000000000000",
     "", "cea7403d4d606b6e074ec5d3baf39d18", "d0d1c8a799996bf0265b98b5d48ab919"},
    {"tc15_four_blocks", kKey15, kIv15,
     "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
     "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b391aafd255",
     "",
     "522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
     "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662898015ad",
     "b094dac5d93471bdec1a502270e3cc6c"},
    {"tc16_partial_block_with_aad", kKey15, kIv15,
     "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
     "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b39",
     "feedfacedeadbeeffeedfacedeadbeefabaddad2",
     "522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
     "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662",
     "76fc6ece0f4e1768cddf8853bb2d551b"},
};

class GcmVectors : public ::testing::TestWithParam<GcmCase> {
 protected:
  void SetUp() override {
    const GcmCase& c = GetParam();
    key_ = provider::gcmKeyCreate(unhexArray<32>(c.key));
    ASSERT_TRUE(key_);
    iv_ = unhexArray<kGcmNonceSize>(c.iv);
    plaintext_ = unhex(c.plaintext);
    aad_ = unhex(c.aad);
    sealed_ = unhex(c.ciphertext);
    appendBytes(sealed_, unhex(c.tag));
  }

  std::unique_ptr<GcmKeyState, GcmKeyStateDeleter> key_;
  std::array<uint8_t, kGcmNonceSize> iv_{};
  Bytes plaintext_, aad_, sealed_;
};

TEST_P(GcmVectors, EncryptGivesPublishedCiphertextAndTag) {
  Bytes out(plaintext_.size() + kGcmTagSize);
  ASSERT_TRUE(provider::gcmEncrypt(*key_, iv_, aad_, plaintext_, out.data()));
  EXPECT_EQ(toHex(out), toHex(sealed_));
}

TEST_P(GcmVectors, EncryptInPlace) {
  Bytes buffer = plaintext_;
  buffer.resize(plaintext_.size() + kGcmTagSize);
  ASSERT_TRUE(provider::gcmEncrypt(*key_, iv_, aad_, ByteView(buffer).first(plaintext_.size()),
                                   buffer.data()));
  EXPECT_EQ(toHex(buffer), toHex(sealed_));
}

TEST_P(GcmVectors, DecryptInPlaceGivesPlaintext) {
  Bytes buffer = sealed_;
  ASSERT_TRUE(provider::gcmDecrypt(*key_, iv_, aad_, buffer, buffer.data()));
  buffer.resize(plaintext_.size());
  EXPECT_EQ(toHex(buffer), toHex(plaintext_));
}

// Any changed bit of ciphertext, tag, AAD or nonce must fail authentication, and the output
// buffer must hold nothing but zeros or what it held before.
TEST_P(GcmVectors, AnyTamperingFailsAndLeavesNoPlaintext) {
  for (size_t i = 0; i < sealed_.size(); ++i) {
    Bytes tampered = sealed_;
    tampered[i] ^= 0x01;
    Bytes out(plaintext_.size(), 0xee);
    EXPECT_FALSE(provider::gcmDecrypt(*key_, iv_, aad_, tampered, out.data())) << "byte " << i;
    for (size_t j = 0; j < out.size(); ++j)
      ASSERT_TRUE(out[j] == 0 || out[j] == 0xee) << "output left behind at " << j;
  }
  Bytes out(plaintext_.size());
  Bytes longerAad = aad_;
  longerAad.push_back(0);
  EXPECT_FALSE(provider::gcmDecrypt(*key_, iv_, longerAad, sealed_, out.data()));
  auto otherIv = iv_;
  otherIv[11] ^= 0x80;
  EXPECT_FALSE(provider::gcmDecrypt(*key_, otherIv, aad_, sealed_, out.data()));
}

INSTANTIATE_TEST_SUITE_P(Nist, GcmVectors, ::testing::ValuesIn(kGcmCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace px
