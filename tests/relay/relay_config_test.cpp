#include "relay/relay_config.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/test_paths.h"

namespace px {
namespace {

const std::string kKeyHex =
    "0DFB30377FC4D4BDE6A1803A91CEE67221001A6023F0C93ECBD09AF4FF7129DC"
    "075412E2C7686F846C30BDB3AAAC9100FEA910BB5B9859EBC970EEEF0D4AB50B";

RelayConfig defaults() {
  RelayConfig config;
  config.primaryHost = "relay.example";
  config.fallbackHost = "fallback.example";
  config.port = 9001;
  config.pinnedKey.fill(0xAB);
  config.pinnedKeyPresent = true;
  return config;
}

TEST(RelayConfigTest, HexKeyParser) {
  PublicKey64 key;
  key.fill(1);
  const PublicKey64 before = key;
  EXPECT_FALSE(parseRelayKeyHex(kKeyHex.substr(1), key));
  EXPECT_FALSE(parseRelayKeyHex(kKeyHex + "0", key));
  EXPECT_FALSE(parseRelayKeyHex(std::string("g").append(kKeyHex, 1), key));
  EXPECT_FALSE(parseRelayKeyHex(kKeyHex.substr(0, 127) + " ", key));
  EXPECT_EQ(key, before);
  ASSERT_TRUE(parseRelayKeyHex(kKeyHex, key));
  EXPECT_EQ(key[0], 0x0D);
  EXPECT_EQ(key[63], 0x0B);
  PublicKey64 lower;
  std::string lowerText = kKeyHex;
  for (char& c : lowerText) c = char(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_TRUE(parseRelayKeyHex(lowerText, lower));
  EXPECT_EQ(lower, key);
}

TEST(RelayConfigTest, ConfigLines) {
  PublicKey64 fileKey;
  ASSERT_TRUE(parseRelayKeyHex(kKeyHex, fileKey));
  const PublicKey64 builtIn = defaults().pinnedKey;
  const struct {
    std::string line;
    bool supplied;
    std::string host;
    std::string fallback;
    uint16_t port;
    PublicKey64 key;
  } cases[] = {
      {"10.1.2.3:7000", true, "10.1.2.3", "", 7000, builtIn},
      {"10.1.2.3", true, "10.1.2.3", "", 9001, builtIn},
      {"10.1.2.3\t" + kKeyHex, true, "10.1.2.3", "", 9001, fileKey},
      {"relay.lan:9100  \t " + kKeyHex + " \r\n", true, "relay.lan", "", 9100, fileKey},
      {"10.1.2.3 " + kKeyHex.substr(1), true, "10.1.2.3", "", 9001, builtIn},
      {"10.1.2.3:72536", true, "10.1.2.3", "", 7000, builtIn},  // 65536 + 7000
      {"10.1.2.3:x", true, "10.1.2.3", "", 0, builtIn},
      {":9000", false, "", "", 9000, builtIn},
      {"", false, "relay.example", "fallback.example", 9001, builtIn},
      {"  " + kKeyHex, false, "relay.example", "fallback.example", 9001, fileKey},
  };
  for (const auto& c : cases) {
    RelayConfig config = defaults();
    EXPECT_EQ(applyRelayConfigLine(c.line, config), c.supplied) << c.line;
    EXPECT_EQ(config.primaryHost, c.host) << c.line;
    EXPECT_EQ(config.fallbackHost, c.fallback) << c.line;
    EXPECT_EQ(config.port, c.port) << c.line;
    EXPECT_EQ(config.pinnedKey, c.key) << c.line;
    EXPECT_TRUE(config.pinnedKeyPresent);
  }
}

TEST(RelayConfigTest, LoadsOnlyTheFirstLineAndKeepsDefaultsWithoutAFile) {
  test::TempDir temp;
  const RelayConfig builtIn = builtInRelayConfig();
  EXPECT_FALSE(loadRelayConfigFrom(temp.path() / "relay.cfg"));
  EXPECT_EQ(relayConfig().primaryHost, builtIn.primaryHost);
  EXPECT_EQ(relayConfig().fallbackHost, builtIn.fallbackHost);
  EXPECT_EQ(relayConfig().port, builtIn.port);

  std::ofstream(temp.path() / "relay.cfg") << "10.9.8.7:9100\r\nother:1\n";
  EXPECT_TRUE(loadRelayConfigFrom(temp.path() / "relay.cfg"));
  EXPECT_EQ(relayConfig().primaryHost, "10.9.8.7");
  EXPECT_EQ(relayConfig().port, 9100);
  EXPECT_TRUE(relayConfig().fallbackHost.empty());
  setRelayConfig(builtIn);
}

}  // namespace
}  // namespace px
