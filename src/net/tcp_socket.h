// The socket layer beneath SecureChannel: thin calls over POSIX sockets (tcp_socket_posix.cpp)
// or Winsock (tcp_socket_win.cpp). Only the channel and tests use it directly.
#pragma once

#include <cstdint>
#include <string>

#include "base/bytes.h"

namespace px {

// A socket descriptor (int on POSIX, SOCKET on Windows) widened to one portable type.
using NativeSocket = intptr_t;
constexpr NativeSocket kInvalidSocket = -1;

// Starts Winsock once per process; a no-op on POSIX. Every function below calls it.
bool socketsInitialise();

NativeSocket tcpConnectIpv4(const std::string& host, uint16_t port);
// Listens on 127.0.0.1 (port 0 = any); `port` receives the bound port. For tests and tools.
NativeSocket tcpListenLoopback(uint16_t& port);
NativeSocket tcpAccept(NativeSocket listener);

// Full transfers: false on error, closed connection or time-out.
bool socketSendAll(NativeSocket socket, ByteView data);
bool socketReceiveAll(NativeSocket socket, MutableByteView data);

void socketSetReceiveTimeout(NativeSocket socket, uint32_t milliseconds);
void socketSetKeepAlive(NativeSocket socket, uint32_t idleMs, uint32_t intervalMs);
void socketSetSendBuffer(NativeSocket socket, int bytes);
void socketSetNoDelay(NativeSocket socket);
bool socketWritableNow(NativeSocket socket);
// Shuts both directions down so that every thread blocked on the socket wakes. Returns the socket
// when it still has to be released with socketClose once no thread can use it any more (POSIX:
// shutdown wakes them, and closing at once could let a new socket take the number under a thread
// about to call recv), or kInvalidSocket when waking them took closing it (Winsock: only
// closesocket aborts a blocking recv).
NativeSocket socketInterrupt(NativeSocket socket);
void socketClose(NativeSocket socket);
void socketShutdownAndClose(NativeSocket socket);

}  // namespace px
