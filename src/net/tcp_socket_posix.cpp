// The socket layer over POSIX sockets. Sends never raise SIGPIPE (MSG_NOSIGNAL) and every call
// interrupted by a signal is retried.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "base/os_error.h"
#include "base/scoped_fd_posix.h"
#include "net/tcp_socket.h"

namespace px {
namespace {

int fd(NativeSocket socket) { return static_cast<int>(socket); }

bool resolveIpv4(const std::string& host, in_addr& out) {
  if (::inet_pton(AF_INET, host.c_str(), &out) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0 || !found) return false;
  out = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return true;
}

// 0, or the errno of the failed connect. A connect interrupted by a signal goes on in the
// background; wait for its outcome.
int connectBlocking(int s, const sockaddr_in& address) {
  if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return 0;
  if (errno != EINTR) return errno;
  pollfd waiter{s, POLLOUT, 0};
  int rc;
  do rc = ::poll(&waiter, 1, -1);
  while (rc < 0 && errno == EINTR);
  if (rc != 1) return errno;
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
  return error;
}

void setIntOption(int s, int level, int name, int value) {
  ::setsockopt(s, level, name, &value, sizeof value);
}

}  // namespace

bool socketsInitialise() { return true; }

NativeSocket tcpConnectIpv4(const std::string& host, uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (!resolveIpv4(host, address.sin_addr)) return kInvalidSocket;
  ScopedFd s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!s) {
    logOsError("[RELAY]", "socket", lastErrno());
    return kInvalidSocket;
  }
  if (const int error = connectBlocking(s.get(), address); error != 0) {
    logOsError("[RELAY]", "connect", {OsErrorKind::kErrno, error});
    return kInvalidSocket;
  }
  socketSetNoDelay(s.get());
  return s.release();
}

NativeSocket tcpListenLoopback(uint16_t& port) {
  ScopedFd s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!s) return kInvalidSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(s.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(s.get(), 16) != 0 ||
      ::getsockname(s.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return kInvalidSocket;
  port = ntohs(address.sin_port);
  return s.release();
}

NativeSocket tcpAccept(NativeSocket listener) {
  int s;
  do s = ::accept4(fd(listener), nullptr, nullptr, SOCK_CLOEXEC);
  while (s < 0 && errno == EINTR);
  if (s < 0) return kInvalidSocket;
  socketSetNoDelay(s);
  return s;
}

bool socketSendAll(NativeSocket socket, ByteView data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::send(fd(socket), data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A peer that went away is the usual end of a session, not worth a line.
      if (n < 0 && errno != EPIPE && errno != ECONNRESET) logOsError("[RELAY]", "send", lastErrno());
      return false;
    }
    done += size_t(n);
  }
  return true;
}

bool socketReceiveAll(NativeSocket socket, MutableByteView data) {
  size_t done = 0;
  while (done < data.size()) {
    // EAGAIN here is the receive time-out expiring.
    const ssize_t n = ::recv(fd(socket), data.data() + done, data.size() - done, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

void socketSetReceiveTimeout(NativeSocket socket, uint32_t milliseconds) {
  timeval timeout{};
  timeout.tv_sec = time_t(milliseconds / 1000);
  timeout.tv_usec = suseconds_t((milliseconds % 1000) * 1000);
  ::setsockopt(fd(socket), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

void socketSetKeepAlive(NativeSocket socket, uint32_t idleMs, uint32_t intervalMs) {
  // The kernel counts these in whole seconds, at least one.
  const int idle = int(idleMs / 1000 > 0 ? idleMs / 1000 : 1);
  const int interval = int(intervalMs / 1000 > 0 ? intervalMs / 1000 : 1);
  setIntOption(fd(socket), SOL_SOCKET, SO_KEEPALIVE, 1);
  setIntOption(fd(socket), IPPROTO_TCP, TCP_KEEPIDLE, idle);
  setIntOption(fd(socket), IPPROTO_TCP, TCP_KEEPINTVL, interval);
}

void socketSetSendBuffer(NativeSocket socket, int bytes) {
  if (bytes >= 1) setIntOption(fd(socket), SOL_SOCKET, SO_SNDBUF, bytes);
}

void socketSetNoDelay(NativeSocket socket) { setIntOption(fd(socket), IPPROTO_TCP, TCP_NODELAY, 1); }

bool socketWritableNow(NativeSocket socket) {
  pollfd waiter{fd(socket), POLLOUT, 0};
  int rc;
  do rc = ::poll(&waiter, 1, 0);
  while (rc < 0 && errno == EINTR);
  return rc == 1 && (waiter.revents & POLLOUT) && !(waiter.revents & (POLLERR | POLLNVAL));
}

NativeSocket socketInterrupt(NativeSocket socket) {
  // This is what wakes a thread blocked in recv on the socket; close alone does not.
  if (socket != kInvalidSocket) ::shutdown(fd(socket), SHUT_RDWR);
  return socket;
}

void socketClose(NativeSocket socket) {
  if (socket != kInvalidSocket) ::close(fd(socket));
}

void socketShutdownAndClose(NativeSocket socket) { socketClose(socketInterrupt(socket)); }

}  // namespace px
