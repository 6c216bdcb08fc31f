// The socket layer over Winsock 2. Winsock is started once per process and left running.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>

#include <climits>

#include "base/os_error.h"
#include "base/scoped_handle.h"
#include "net/tcp_socket.h"

namespace px {
namespace {

struct SocketTraits {
  using Handle = SOCKET;
  static SOCKET invalid() { return INVALID_SOCKET; }
  static void close(SOCKET s) { ::closesocket(s); }
};
using ScopedSocket = ScopedHandle<SocketTraits>;

OsError lastSocketError() { return {OsErrorKind::kWinsock, ::WSAGetLastError()}; }

SOCKET raw(NativeSocket socket) { return static_cast<SOCKET>(socket); }
NativeSocket native(SOCKET socket) {
  return socket == INVALID_SOCKET ? kInvalidSocket : static_cast<NativeSocket>(socket);
}

bool resolveIpv4(const std::string& host, IN_ADDR& out) {
  if (::inet_pton(AF_INET, host.c_str(), &out) == 1) return true;
  ADDRINFOA hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  ADDRINFOA* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
  out = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return true;
}

void setIntOption(SOCKET s, int level, int name, int value) {
  ::setsockopt(s, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

// Winsock transfers at most INT_MAX bytes per call.
int chunk(size_t remaining) { return remaining > size_t(INT_MAX) ? INT_MAX : int(remaining); }

}  // namespace

bool socketsInitialise() {
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

NativeSocket tcpConnectIpv4(const std::string& host, uint16_t port) {
  if (!socketsInitialise()) return kInvalidSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (!resolveIpv4(host, address.sin_addr)) return kInvalidSocket;
  ScopedSocket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!s) {
    logOsError("[RELAY]", "socket", lastSocketError());
    return kInvalidSocket;
  }
  if (::connect(s.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    logOsError("[RELAY]", "connect", lastSocketError());
    return kInvalidSocket;
  }
  socketSetNoDelay(native(s.get()));
  return native(s.release());
}

NativeSocket tcpListenLoopback(uint16_t& port) {
  if (!socketsInitialise()) return kInvalidSocket;
  ScopedSocket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!s) return kInvalidSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (::bind(s.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(s.get(), 16) != 0 ||
      ::getsockname(s.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return kInvalidSocket;
  port = ntohs(address.sin_port);
  return native(s.release());
}

NativeSocket tcpAccept(NativeSocket listener) {
  if (!socketsInitialise()) return kInvalidSocket;
  const SOCKET s = ::accept(raw(listener), nullptr, nullptr);
  if (s == INVALID_SOCKET) return kInvalidSocket;
  socketSetNoDelay(native(s));
  return native(s);
}

bool socketSendAll(NativeSocket socket, ByteView data) {
  size_t done = 0;
  while (done < data.size()) {
    const int n = ::send(raw(socket), reinterpret_cast<const char*>(data.data() + done),
                         chunk(data.size() - done), 0);
    if (n <= 0) {
      const OsError error = lastSocketError();
      // A peer that went away is the usual end of a session, not worth a line.
      if (n < 0 && error.code != WSAECONNRESET && error.code != WSAECONNABORTED)
        logOsError("[RELAY]", "send", error);
      return false;
    }
    done += size_t(n);
  }
  return true;
}

bool socketReceiveAll(NativeSocket socket, MutableByteView data) {
  size_t done = 0;
  while (done < data.size()) {
    // SOCKET_ERROR with WSAETIMEDOUT here is the receive time-out expiring.
    const int n = ::recv(raw(socket), reinterpret_cast<char*>(data.data() + done),
                         chunk(data.size() - done), 0);
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

void socketSetReceiveTimeout(NativeSocket socket, uint32_t milliseconds) {
  const DWORD timeout = milliseconds;
  ::setsockopt(raw(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof timeout);
}

void socketSetKeepAlive(NativeSocket socket, uint32_t idleMs, uint32_t intervalMs) {
  tcp_keepalive settings{};
  settings.onoff = 1;
  settings.keepalivetime = idleMs;
  settings.keepaliveinterval = intervalMs;
  DWORD returned = 0;
  ::WSAIoctl(raw(socket), SIO_KEEPALIVE_VALS, &settings, sizeof settings, nullptr, 0, &returned,
             nullptr, nullptr);
}

void socketSetSendBuffer(NativeSocket socket, int bytes) {
  if (bytes >= 1) setIntOption(raw(socket), SOL_SOCKET, SO_SNDBUF, bytes);
}

void socketSetNoDelay(NativeSocket socket) {
  setIntOption(raw(socket), IPPROTO_TCP, TCP_NODELAY, 1);
}

bool socketWritableNow(NativeSocket socket) {
  fd_set writable;
  FD_ZERO(&writable);
  FD_SET(raw(socket), &writable);
  timeval zero{};
  return ::select(0, nullptr, &writable, nullptr, &zero) == 1;
}

NativeSocket socketInterrupt(NativeSocket socket) {
  if (socket == kInvalidSocket) return kInvalidSocket;
  // shutdown sends the FIN, but only closesocket aborts a recv blocked in another thread.
  ::shutdown(raw(socket), SD_BOTH);
  ::closesocket(raw(socket));
  return kInvalidSocket;
}

void socketClose(NativeSocket socket) {
  if (socket != kInvalidSocket) ::closesocket(raw(socket));
}

void socketShutdownAndClose(NativeSocket socket) { socketClose(socketInterrupt(socket)); }

}  // namespace px
