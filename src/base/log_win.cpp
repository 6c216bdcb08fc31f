#include <windows.h>

#include <share.h>

#include <cstdio>
#include <ctime>

#include "base/log.h"

namespace px {

unsigned currentProcessId() { return unsigned(GetCurrentProcessId()); }

bool localTime(std::time_t when, std::tm& out) { return localtime_s(&out, &when) == 0; }

LogStream openLogStream(const std::filesystem::path& file) {
  // Others may read the log while it is open; a second writer (another instance) cannot open it.
  return LogStream(_wfsopen(file.c_str(), L"at", _SH_DENYWR));
}

}  // namespace px
