#include <cstring>

#include "base/os_error.h"

namespace px {

std::string systemErrorText(const OsError& error) {
  if (error.kind != OsErrorKind::kErrno) return {};
  char buffer[256] = {};
  // The GNU form returns the text, which may or may not be the buffer.
  return ::strerror_r(int(error.code), buffer, sizeof buffer);
}

}  // namespace px
