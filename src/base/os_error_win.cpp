#include <windows.h>

#include "base/os_error.h"

namespace px {

std::string systemErrorText(const OsError& error) {
  if (error.kind == OsErrorKind::kErrno || error.kind == OsErrorKind::kNtstatus) return {};
  char buffer[512] = {};
  const DWORD length =
      ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       DWORD(error.code), 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  // The system's text ends with a line break that would split the log line.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

}  // namespace px
