// Failed OS calls, reported once at the boundary: the call's name and the code the OS gave, in
// the form its documentation uses, on one tagged log line. Above the boundary only our own
// results travel.
#pragma once

#include <cstdint>
#include <string>

namespace px {

enum class OsErrorKind {
  kErrno,     // POSIX errno
  kWin32,     // GetLastError
  kWinsock,   // WSAGetLastError
  kHresult,   // COM, DXGI, Direct3D, WIC
  kNtstatus,  // CNG (BCrypt)
};

struct OsError {
  OsErrorKind kind = OsErrorKind::kErrno;
  int64_t code = 0;
};

// "errno 111 (Connection refused)", "erro 5 (Access is denied.)", "WSA 10061 (...)",
// "HRESULT 0x80004001", "NTSTATUS 0xC000000D" (with the system's text where it has one).
std::string describeOsError(const OsError& error);

// Logs "<tag> <call> falhou: <description>\n", e.g. "[RELAY] connect falhou: errno 111 (...)".
void logOsError(const char* tag, const char* call, const OsError& error);

// The calling thread's errno, taken at once so that later calls cannot overwrite it.
OsError lastErrno();

// The system's text for a code, or empty when it has none (os_error_posix.cpp / os_error_win.cpp).
std::string systemErrorText(const OsError& error);

}  // namespace px
