// The relay's network side: accepts connections, registers hosts, answers sealed requests and
// joins tunnels. One network thread runs every connection; password hashing runs on a small
// worker pool so a login never stalls the others.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "relayd/account_service.h"
#include "relayd/relay_store.h"

namespace px::relayd {

struct ServerOptions {
  std::string listenAddress = "0.0.0.0";
  uint16_t port = 9001;  // 0 = any free port (tests)
  // Every step before a host is registered or a tunnel joined must finish within this.
  std::chrono::milliseconds stepTimeout{10000};
  size_t maxConnections = 20000;
  int connectionsPerMinute = 120;  // per source address
  int failedLoginsPerWindow = 20;  // per source address, per 15 minutes
  int tunnelsPerMinute = 30;       // per account, and again per source address
  int accountThreads = 2;
  bool stopOnSignals = true;  // SIGINT and SIGTERM end run()
  AccountPolicy accounts;
};

// Parses "ADDR:PORT" (IPv4 dotted address or a host name, decimal port).
bool parseListenAddress(const std::string& text, std::string& address, uint16_t& port);

class RelayServer {
 public:
  // `relayKey` and `store` must outlive the server.
  RelayServer(const ServerOptions& options, const P256KeyPair& relayKey, RelayStore& store);
  ~RelayServer();
  RelayServer(const RelayServer&) = delete;
  RelayServer& operator=(const RelayServer&) = delete;

  // Binds and listens; false (with a log line) when that fails.
  bool start();
  uint16_t port() const;
  // Runs the network thread on the caller until stop() (or a signal, see ServerOptions).
  void run();
  // Any thread: ends run() soon; every connection is closed.
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace px::relayd
