// The system's socket API headers, for code whose socket calls read the same on both systems
// (name lookup); everything that differs lives in tcp_socket_posix.cpp / tcp_socket_win.cpp.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>
#endif
