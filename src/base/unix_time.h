// Wall-clock seconds since 1970 (UTC), shared by the recent list and the account session.
#pragma once

#include <chrono>
#include <cstdint>

namespace px {

inline int64_t unixTimeNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace px
