#include "base/os_error.h"

#include <cerrno>
#include <cstdio>

#include "base/log.h"

namespace px {
namespace {

std::string hex32(int64_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", unsigned(uint32_t(code)));
  return text;
}

std::string codeText(const OsError& error) {
  switch (error.kind) {
    case OsErrorKind::kErrno:
      return "errno " + std::to_string(error.code);
    case OsErrorKind::kWin32:
      return "erro " + std::to_string(error.code);
    case OsErrorKind::kWinsock:
      return "WSA " + std::to_string(error.code);
    case OsErrorKind::kHresult:
      return "HRESULT " + hex32(error.code);
    case OsErrorKind::kNtstatus:
      return "NTSTATUS " + hex32(error.code);
  }
  return std::to_string(error.code);
}

}  // namespace

std::string describeOsError(const OsError& error) {
  std::string text = codeText(error);
  const std::string system = systemErrorText(error);
  if (!system.empty()) text += " (" + system + ")";
  return text;
}

void logOsError(const char* tag, const char* call, const OsError& error) {
  logPrintf("%s %s falhou: %s\n", tag, call, describeOsError(error).c_str());
}

OsError lastErrno() { return {OsErrorKind::kErrno, errno}; }

}  // namespace px
