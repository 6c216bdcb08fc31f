#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "base/atomic_file.h"
#include "known_hosts_test_support.h"
#include "store/known_hosts.h"

namespace px::test {

void KnownHostsFixture::TearDown() { setDataFolderOverride({}); }

std::string KnownHostsFixture::uniqueName(const std::string& prefix) {
  static std::atomic<int> counter{0};
  return prefix + "t" + std::to_string(counter++);
}

bool KnownHostsFixture::plantEntry(const std::string& name, RawEntry entry) {
  std::string value;
  switch (entry) {
    case RawEntry::kTooLong:
      value = std::string(130, 'a');
      break;
    case RawEntry::kTooShort:
      value = std::string(126, 'a');
      break;
    case RawEntry::kText:
      value = "not a key";
      break;
  }
  std::ofstream out(scratch_.path() / kKnownHostsFileName, std::ios::app | std::ios::binary);
  out << name << '\t' << value << '\n';
  return bool(out);
}

namespace {

class KnownHostsFileTest : public KnownHostsFixture {
 protected:
  std::string fileText() {
    Bytes data;
    EXPECT_TRUE(readWholeFile(scratch_.path() / kKnownHostsFileName, data));
    return std::string(data.begin(), data.end());
  }
};

TEST_F(KnownHostsFileTest, OneLinePerNameWithTheKeyInHex) {
  PublicKey64 key;
  for (size_t i = 0; i < key.size(); ++i) key[i] = uint8_t(i);
  ASSERT_TRUE(checkKnownHost("relay:123456789", key));
  ASSERT_TRUE(checkKnownHost("relay-server:a b:9001", key));
  EXPECT_EQ(fileText(),
            "relay:123456789\t" + toHex(key) + "\nrelay-server:a b:9001\t" + toHex(key) + "\n");
}

TEST_F(KnownHostsFileTest, KeepsHandEditedLinesWhenAppending) {
  {
    std::ofstream out(scratch_.path() / kKnownHostsFileName, std::ios::binary);
    out << "# comment without a newline";
  }
  PublicKey64 key{};
  ASSERT_TRUE(checkKnownHost("relay:1", key));
  EXPECT_EQ(fileText(), "# comment without a newline\nrelay:1\t" + toHex(key) + "\n");
  EXPECT_TRUE(checkKnownHost("relay:1", key));
}

TEST_F(KnownHostsFileTest, RefusesNamesALineCannotHold) {
  PublicKey64 key{};
  for (std::string name :
       {std::string("relay:1\nrelay:2"), std::string("relay:1\r"), std::string("relay:1\0x", 9)}) {
    EXPECT_FALSE(checkKnownHost(name, key));
  }
  EXPECT_FALSE(std::filesystem::exists(scratch_.path() / kKnownHostsFileName));
}

TEST_F(KnownHostsFileTest, ConcurrentFirstUsesAllLand) {
  constexpr int kThreads = 8;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      PublicKey64 key;
      key.fill(uint8_t(t));
      for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(checkKnownHost("relay:" + std::to_string(t * 100 + i), key));
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    PublicKey64 key, wrong;
    key.fill(uint8_t(t));
    wrong.fill(0xEE);
    for (int i = 0; i < 10; ++i) {
      const std::string name = "relay:" + std::to_string(t * 100 + i);
      EXPECT_TRUE(checkKnownHost(name, key));
      EXPECT_FALSE(checkKnownHost(name, wrong));  // was stored, so no second first use
    }
  }
}

}  // namespace
}  // namespace px::test
