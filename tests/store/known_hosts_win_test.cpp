#include <windows.h>

#include <string>

#include "crypto/crypto.h"
#include "known_hosts_test_support.h"
#include "store/known_hosts.h"

namespace px::test {
namespace {

constexpr const wchar_t* kKey = L"Software\\Parvolex\\KnownHosts";

std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

void KnownHostsFixture::TearDown() {
  for (const std::string& name : names_)
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, wide(name).c_str());
  setDataFolderOverride({});
}

std::string KnownHostsFixture::uniqueName(const std::string& prefix) {
  uint8_t tag[8];
  EXPECT_TRUE(randomBytes(tag));
  std::string name = prefix + "test-" + toHex(tag);
  names_.push_back(name);
  return name;
}

bool KnownHostsFixture::plantEntry(const std::string& name, RawEntry entry) {
  const uint8_t bytes[65] = {};
  const wchar_t text[] = L"0123456789";
  LSTATUS status = ERROR_INVALID_PARAMETER;
  switch (entry) {
    case RawEntry::kTooLong:
      status = RegSetKeyValueW(HKEY_CURRENT_USER, kKey, wide(name).c_str(), REG_BINARY, bytes, 65);
      break;
    case RawEntry::kTooShort:
      status = RegSetKeyValueW(HKEY_CURRENT_USER, kKey, wide(name).c_str(), REG_BINARY, bytes, 63);
      break;
    case RawEntry::kText:
      status =
          RegSetKeyValueW(HKEY_CURRENT_USER, kKey, wide(name).c_str(), REG_SZ, text, sizeof(text));
      break;
  }
  return status == ERROR_SUCCESS;
}

namespace {

class KnownHostsRegistryTest : public KnownHostsFixture {};

TEST_F(KnownHostsRegistryTest, StoresA64ByteBinaryValueUnderTheName) {
  const std::string name = uniqueName("relay:");
  PublicKey64 key;
  for (size_t i = 0; i < key.size(); ++i) key[i] = uint8_t(i * 3);
  ASSERT_TRUE(checkKnownHost(name, key));
  uint8_t stored[80] = {};
  DWORD type = 0, size = sizeof(stored);
  ASSERT_EQ(
      RegGetValueW(HKEY_CURRENT_USER, kKey, wide(name).c_str(), RRF_RT_ANY, &type, stored, &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_BINARY));
  ASSERT_EQ(size, 64u);
  EXPECT_EQ(0, memcmp(stored, key.data(), 64));
}

}  // namespace
}  // namespace px::test
