#include "base/log.h"

#include <cstdarg>
#include <ctime>
#include <mutex>

namespace px {

unsigned currentProcessId();                     // log_win.cpp / log_posix.cpp
bool localTime(std::time_t when, std::tm& out);  // log_win.cpp / log_posix.cpp

namespace {

std::mutex streamLock;
LogStream logStream;  // guarded by streamLock; null when there is no file log

}  // namespace

void openLog(const std::filesystem::path& file) {
  closeLog();  // our own open handle would count as the other writer
  LogStream stream = openLogStream(file);
  if (stream) {
    std::tm now{};
    localTime(std::time(nullptr), now);
    std::fprintf(stream.get(), "\n---- %04d-%02d-%02d %02d:%02d:%02d pid %u ----\n",
                 now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min,
                 now.tm_sec, currentProcessId());
    std::fflush(stream.get());
  }
  std::lock_guard lock(streamLock);
  logStream = std::move(stream);
}

void closeLog() {
  std::lock_guard lock(streamLock);
  logStream.reset();
}

void logPrintf(const char* format, ...) {
  va_list args;
  {
    std::lock_guard lock(streamLock);
    if (logStream) {
      va_start(args, format);
      std::vfprintf(logStream.get(), format, args);
      va_end(args);
      std::fflush(logStream.get());
    }
  }
  va_start(args, format);
  std::vfprintf(stdout, format, args);
  va_end(args);
  std::fflush(stdout);
}

}  // namespace px
