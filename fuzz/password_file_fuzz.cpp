// unattended.bin as read at start-up.
#include <cstddef>
#include <cstdint>

#include "store/password_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const px::PasswordRecord record = px::decodePasswordFile({data, size});
  volatile uint32_t sink =
      record.iterations + record.salt[15] + record.hash[31] + record.hasPassword;
  (void)sink;
  return 0;
}
