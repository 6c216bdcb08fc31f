#include <gtest/gtest.h>

#include <string>

#include "crypto/crypto_provider.h"

namespace px {
namespace {

RecordKey makeKey(uint8_t fill) {
  AesKey32 raw;
  raw.fill(fill);
  RecordKey key;
  EXPECT_TRUE(RecordKey::create(raw, key));
  return key;
}

TEST(RecordKeyTest, EmptyPlaintextSealsToTagAloneAndOpensBack) {
  RecordKey sealer = makeKey(7), opener = makeKey(7);
  Bytes sealed, opened{1, 2, 3};
  ASSERT_TRUE(gcmSeal(sealer, {}, {}, sealed));
  EXPECT_EQ(sealed.size(), kGcmTagSize);
  ASSERT_TRUE(gcmOpen(opener, {}, sealed, opened));
  EXPECT_TRUE(opened.empty());
}

TEST(RecordKeyTest, ShortInputKeepsCounterWrongTagAdvancesIt) {
  RecordKey key = makeKey(1);
  Bytes out;
  EXPECT_FALSE(gcmOpen(key, {}, Bytes(15), out));
  EXPECT_EQ(key.counter(), 0u);
  EXPECT_FALSE(gcmOpen(key, {}, Bytes(16), out));
  EXPECT_EQ(key.counter(), 1u);
}

TEST(RecordKeyTest, NonceIsFourZerosThenLittleEndianCounter) {
  EXPECT_EQ(gcmNonce(0), (std::array<uint8_t, 12>{}));
  EXPECT_EQ(gcmNonce(1), (std::array<uint8_t, 12>{0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(gcmNonce(0x0102030405060708ull),
            (std::array<uint8_t, 12>{0, 0, 0, 0, 8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST(RecordKeyTest, TwoSealsUseNoncesZeroThenOne) {
  AesKey32 raw;
  raw.fill(3);
  RecordKey sealer = makeKey(3);
  auto provider = provider::gcmKeyCreate(raw);
  ASSERT_TRUE(provider);
  const Bytes plain = {'r', 'e', 'c'};
  for (uint8_t counter = 0; counter < 2; ++counter) {
    Bytes sealed;
    ASSERT_TRUE(gcmSeal(sealer, asBytes("hdr"), plain, sealed));
    std::array<uint8_t, 12> nonce{};
    nonce[4] = counter;
    Bytes opened(plain.size());
    EXPECT_TRUE(provider::gcmDecrypt(*provider, nonce, asBytes("hdr"), sealed, opened.data()));
    EXPECT_EQ(opened, plain);
  }
  EXPECT_EQ(sealer.counter(), 2u);
}

// A record that fails authentication still uses up its nonce, so the next good record opens.
TEST(RecordKeyTest, TamperedRecordFailsAndTheNextOneStillOpens) {
  RecordKey sealer = makeKey(9), opener = makeKey(9);
  Bytes first, second, out = {0xaa};
  ASSERT_TRUE(gcmSeal(sealer, {}, asBytes("first"), first));
  ASSERT_TRUE(gcmSeal(sealer, {}, asBytes("second"), second));
  first.back() ^= 0x01;
  EXPECT_FALSE(gcmOpen(opener, {}, first, out));
  EXPECT_EQ(out, Bytes{0xaa});  // untouched on failure
  ASSERT_TRUE(gcmOpen(opener, {}, second, out));
  EXPECT_EQ(out, Bytes(asBytes("second").begin(), asBytes("second").end()));
  EXPECT_EQ(opener.counter(), 2u);
}

TEST(RecordKeyTest, SealsAndOpensInPlace) {
  RecordKey sealer = makeKey(5), opener = makeKey(5);
  const std::string text = "in place record";
  Bytes buffer(text.begin(), text.end());
  buffer.resize(text.size() + kGcmTagSize);
  ASSERT_TRUE(gcmSeal(sealer, asBytes("aad"), ByteView(buffer).first(text.size()), buffer.data()));
  EXPECT_NE(std::string(buffer.begin(), buffer.begin() + text.size()), text);
  ASSERT_TRUE(gcmOpen(opener, asBytes("aad"), buffer, buffer.data()));
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + text.size()), text);
}

TEST(RecordKeyTest, InvalidKeyRefusesWithoutUsingANonce) {
  RecordKey none;
  Bytes out;
  EXPECT_FALSE(gcmSeal(none, {}, asBytes("x"), out));
  EXPECT_FALSE(gcmOpen(none, {}, Bytes(32), out));
  EXPECT_EQ(none.counter(), 0u);
}

}  // namespace
}  // namespace px
