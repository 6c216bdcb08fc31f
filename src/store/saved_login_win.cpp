#include <windows.h>

#include <dpapi.h>

#include <memory>

#include "store/saved_login.h"

namespace px {
namespace {

// Built into the program; it only has to be the same for sealing and opening.
constexpr char kEntropy[] = "Parvolex-login-v1";
static_assert(sizeof(kEntropy) - 1 == 17);
constexpr const wchar_t* kDescription = L"Parvolex";

struct LocalFreeDeleter {
  void operator()(BYTE* p) const { LocalFree(p); }
};
using LocalBytes = std::unique_ptr<BYTE, LocalFreeDeleter>;

DATA_BLOB blobOf(ByteView data) {
  return DATA_BLOB{DWORD(data.size()), const_cast<BYTE*>(data.data())};
}

DATA_BLOB entropyBlob() {
  return DATA_BLOB{DWORD(sizeof(kEntropy) - 1),
                   reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy))};
}

}  // namespace

bool protectForCurrentUser(ByteView plain, Bytes& sealed) {
  DATA_BLOB in = blobOf(plain), entropy = entropyBlob(), out{};
  if (!CryptProtectData(&in, kDescription, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                        &out))
    return false;
  LocalBytes owned(out.pbData);
  sealed.assign(out.pbData, out.pbData + out.cbData);
  return true;
}

bool unprotectForCurrentUser(ByteView sealed, Bytes& plain) {
  DATA_BLOB in = blobOf(sealed), entropy = entropyBlob(), out{};
  if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out))
    return false;
  LocalBytes owned(out.pbData);
  plain.assign(out.pbData, out.pbData + out.cbData);
  // The system's copy of the plaintext is ours to clear before it is freed.
  secureWipe(out.pbData, out.cbData);
  return true;
}

}  // namespace px
