// The registration state the main window shows beside the ID.
#pragma once

#include <cstdint>

namespace px {

// Held in a process-wide atomic owned by the registration thread; written by exchange.
enum class RelayStatus : int32_t {
  kNotStarted = 0,  // before the registration loop first runs
  kConnecting = 1,  // connecting or re-registering
  kRegistered = 2,  // registered; the current ID is set
};

}  // namespace px
