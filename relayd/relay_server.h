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
  // The whole opening exchange, from accept until the host is registered, the reply sent or the
  // tunnel joined, must finish within this (one limit for all its steps together).
  std::chrono::milliseconds stepTimeout{10000};
  size_t maxConnections = 20000;    // lowered at start to fit the descriptor limit
  // Per source address, held at once. One address may be a company's NAT: a client's opening
  // exchange lasts milliseconds, so even a whole office starting at once stays far below 64,
  // while every registered computer behind it holds one connection all day.
  size_t openingPerSource = 64;
  size_t hostsPerSource = 1000;
  int connectionsPerMinute = 120;  // per source address
  int failedLoginsPerWindow = 20;  // per source address, per 15 minutes
  int accountFailuresPerHour = 100;  // per login over all sources not known to it
  int tunnelsPerMinute = 30;       // per account, and again per source address
  int tunnelsPerAccount = 0;       // open at once; 0 = no cap
  int newIdsPerDay = 500;          // new identity keys per source address per day
  int deadPeerSeconds = 60;        // a silent vanished peer is dropped after about this
  int64_t forgetIdsAfterSeconds = 180LL * 24 * 3600;  // an ID unused this long is removed
  std::chrono::seconds sweepInterval{3600};  // how often unused IDs are looked for
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
