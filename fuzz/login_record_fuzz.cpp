// The saved-login record as it comes out of the platform's unsealing.
#include <cstddef>
#include <cstdint>

#include "store/saved_login.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  px::SavedLogin login;
  if (px::decodeLoginRecord({data, size}, login)) {
    volatile size_t sink =
        login.loginName.size() + login.displayName.size() + login.token[31] + size_t(login.expiry);
    for (char c : login.loginName) sink = sink + uint8_t(c);
    for (char c : login.displayName) sink = sink + uint8_t(c);
    (void)sink;
  }
  return 0;
}
