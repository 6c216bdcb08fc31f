#include <windows.h>

#include <string>

#include "base/scoped_handle.h"
#include "store/known_hosts.h"

namespace px {
namespace {

constexpr const wchar_t* kKnownHostsKey = L"Software\\Parvolex\\KnownHosts";

struct RegKeyTraits {
  using Handle = HKEY;
  static HKEY invalid() { return nullptr; }
  static void close(HKEY key) { RegCloseKey(key); }
};
using ScopedRegKey = ScopedHandle<RegKeyTraits>;

bool toWide(std::string_view text, std::wstring& out) {
  out.clear();
  if (text.empty()) return true;
  const int n =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(size_t(n));
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()),
                             out.data(), n) == n;
}

}  // namespace

bool checkKnownHost(std::string_view name, const PublicKey64& key) {
  // A NUL would cut the value name short and make two names share one entry; invalid UTF-8 would
  // map different names onto U+FFFD.
  std::wstring valueName;
  if (name.find('\0') != std::string_view::npos || !toWide(name, valueName)) return false;
  HKEY raw = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKnownHostsKey, 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
    return false;
  ScopedRegKey regKey(raw);
  PublicKey64 stored{};
  DWORD type = 0, size = DWORD(stored.size());
  const LONG read =
      RegQueryValueExW(regKey.get(), valueName.c_str(), nullptr, &type, stored.data(), &size);
  if (read == ERROR_FILE_NOT_FOUND) {
    return RegSetValueExW(regKey.get(), valueName.c_str(), 0, REG_BINARY, key.data(),
                          DWORD(key.size())) == ERROR_SUCCESS;
  }
  // ERROR_MORE_DATA (a longer value) lands here too.
  if (read != ERROR_SUCCESS || type != REG_BINARY || size != stored.size()) return false;
  return constantTimeEqual(stored, key);
}

}  // namespace px
