// Minimal log: standard output only until openLog lands with the file stream.
#include "base/log.h"

#include <cstdarg>
#include <cstdio>

namespace px {

void openLog(const std::filesystem::path&) {}

void logPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stdout, format, args);
  va_end(args);
  std::fflush(stdout);
}

}  // namespace px
