#include "relayd/socket_tuning.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>

namespace px::relayd {

bool setDeadPeerTimeout(int socket, int deadAfterSeconds) {
  if (deadAfterSeconds <= 0) return true;
  // Probes start at half the time and three go out in the second half.
  const int on = 1, count = 3;
  const int idle = std::max(1, deadAfterSeconds / 2);
  const int interval = std::max(1, (deadAfterSeconds - idle) / count);
  // Also bounds how long sent data may stay unacknowledged, which keep-alive alone does not.
  const unsigned userTimeoutMs = unsigned(deadAfterSeconds) * 1000u;
  return setsockopt(socket, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) == 0 &&
         setsockopt(socket, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle) == 0 &&
         setsockopt(socket, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval) == 0 &&
         setsockopt(socket, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count) == 0 &&
         setsockopt(socket, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs) == 0;
}

uint64_t raiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1024;
  if (limit.rlim_cur < limit.rlim_max) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  return limit.rlim_cur == RLIM_INFINITY ? UINT64_MAX : uint64_t(limit.rlim_cur);
}

size_t connectionCapWithin(size_t wanted, uint64_t descriptorLimit) {
  const uint64_t usable = descriptorLimit > 2 * kDescriptorReserve ? descriptorLimit - kDescriptorReserve
                                                                   : descriptorLimit / 2;
  return size_t(std::min<uint64_t>(wanted, usable));
}

}  // namespace px::relayd
