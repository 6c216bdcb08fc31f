// The host side's state, shared by the shell, the host session and the status line.
#pragma once

#include <cstdint>

namespace px {

// Held in a process-wide std::atomic<HostState>; written by exchange.
enum class HostState : int32_t {
  kIdle = 0,     // no incoming connection
  kPending = 1,  // a viewer connected; handshake and access decision under way
  kActive = 2,   // a host session runs
};

}  // namespace px
