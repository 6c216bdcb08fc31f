// Operating-system settings of the relay process and its sockets.
#pragma once

#include <cstddef>
#include <cstdint>

namespace px::relayd {

// Keep-alive probes and TCP_USER_TIMEOUT on a connected socket, so a peer that vanished without
// a word (power cut, link gone) is dropped about `deadAfterSeconds` after it last answered.
// False when the system refused an option (errno is set).
bool setDeadPeerTimeout(int socket, int deadAfterSeconds);

// Raises the soft descriptor limit to the hard one; returns the soft limit now in force.
uint64_t raiseDescriptorLimit();

// Descriptors kept free beside the connections: the store and its journal, the log, the
// listening socket, the event loop's own descriptors and the worker threads' needs.
constexpr uint64_t kDescriptorReserve = 64;

// The connection cap to use under a descriptor limit: the wanted cap, lowered so that
// connections never take the reserve.
size_t connectionCapWithin(size_t wanted, uint64_t descriptorLimit);

}  // namespace px::relayd
