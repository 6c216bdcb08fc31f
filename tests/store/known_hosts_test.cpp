#include "store/known_hosts.h"

#include <gtest/gtest.h>

#include "known_hosts_test_support.h"

namespace px {
namespace {

PublicKey64 keyFilledWith(uint8_t value) {
  PublicKey64 key;
  key.fill(value);
  return key;
}

class KnownHostsTest : public test::KnownHostsFixture {};

TEST_F(KnownHostsTest, FirstUseStoresLaterChecksCompare) {
  const std::string name = uniqueName("relay:");
  const PublicKey64 key = keyFilledWith(0x42);
  EXPECT_TRUE(checkKnownHost(name, key));
  EXPECT_TRUE(checkKnownHost(name, key));

  PublicKey64 other = key;
  other[63] ^= 1;
  EXPECT_FALSE(checkKnownHost(name, other));
  // The refused key did not replace the first one.
  EXPECT_TRUE(checkKnownHost(name, key));
  EXPECT_FALSE(checkKnownHost(name, other));
}

TEST_F(KnownHostsTest, NamesAreComparedExactly) {
  const std::string suffix = uniqueName("");
  const std::string spaced = "relay:123 456 789" + suffix, packed = "relay:123456789" + suffix;
  EXPECT_TRUE(checkKnownHost(spaced, keyFilledWith(1)));
  EXPECT_TRUE(checkKnownHost(packed, keyFilledWith(2)));
  EXPECT_TRUE(checkKnownHost(spaced, keyFilledWith(1)));
  EXPECT_TRUE(checkKnownHost(packed, keyFilledWith(2)));
}

TEST_F(KnownHostsTest, RelayServerNamesLiveBesideHostIds) {
  const std::string suffix = uniqueName("");
  EXPECT_TRUE(checkKnownHost("relay-server:relay.example:9001" + suffix, keyFilledWith(7)));
  EXPECT_TRUE(checkKnownHost("relay:000000001" + suffix, keyFilledWith(8)));
  EXPECT_FALSE(checkKnownHost("relay-server:relay.example:9001" + suffix, keyFilledWith(8)));
}

struct DamagedCase {
  const char* what;
  test::RawEntry entry;
};

TEST_F(KnownHostsTest, DamagedEntryFailsEveryCheck) {
  const DamagedCase cases[] = {
      {"65 bytes", test::RawEntry::kTooLong},
      {"63 bytes", test::RawEntry::kTooShort},
      {"text instead of bytes", test::RawEntry::kText},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = uniqueName("relay:");
    ASSERT_TRUE(plantEntry(name, c.entry));
    EXPECT_FALSE(checkKnownHost(name, keyFilledWith(0x42)));
    EXPECT_FALSE(checkKnownHost(name, keyFilledWith(0x42)));
  }
}

}  // namespace
}  // namespace px
