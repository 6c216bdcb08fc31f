#include <gtest/gtest.h>

#include "crypto/crypto.h"

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

}  // namespace
}  // namespace px
