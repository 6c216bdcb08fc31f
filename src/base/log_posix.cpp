#include <sys/file.h>
#include <unistd.h>

#include <ctime>

#include "base/log.h"

namespace px {

unsigned currentProcessId() { return unsigned(::getpid()); }

bool localTime(std::time_t when, std::tm& out) { return ::localtime_r(&when, &out) != nullptr; }

LogStream openLogStream(const std::filesystem::path& file) {
  LogStream stream(std::fopen(file.c_str(), "a"));
  // One writer at a time, as on Windows: a second instance keeps to standard output.
  if (stream && ::flock(::fileno(stream.get()), LOCK_EX | LOCK_NB) != 0) stream.reset();
  return stream;
}

}  // namespace px
