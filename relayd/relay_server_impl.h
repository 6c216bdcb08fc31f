// The relay server's state and steps, shared by the files that implement them: relay_server.cpp
// (accepting and admitting), relay_registration.cpp (hosts), relay_sealed.cpp (logins and
// tunnels). Everything here runs on the network thread unless it says otherwise.
#pragma once

#include <chrono>
#include <unordered_map>

#include "relayd/login_guard.h"
#include "relayd/rate_limiter.h"
#include "relayd/relay_handlers.h"
#include "relayd/relay_peer.h"
#include "relayd/relay_server.h"

namespace px::relayd {

using Clock = std::chrono::steady_clock;

int64_t unixNow();

struct RelayServer::Impl {
  Impl(const ServerOptions& o, const P256KeyPair& k, RelayStore& s);

  awaitable<void> acceptLoop();
  awaitable<void> acceptFailed(const asio::error_code& error);
  awaitable<void> handleConnection(PeerPtr peer);
  uint8_t admission(Peer& peer);
  awaitable<void> registerHost(PeerPtr peer, ByteView hello);
  awaitable<bool> assignId(Peer& peer, const PublicKey64& identity, std::string& id);
  awaitable<void> waitRegistered(PeerPtr peer);
  awaitable<void> sweepUnusedIds();
  awaitable<void> sealedExchange(PeerPtr peer, ByteView opening);
  awaitable<bool> answerSealed(Peer& peer, SealedExchange& exchange, Bytes& reply);
  awaitable<Bytes> login(Peer& peer, ByteView plaintext);
  awaitable<void> tunnelRequest(PeerPtr peer, SealedExchange& exchange, ByteView plaintext);
  uint8_t tunnelStatus(Peer& peer, const TunnelRequest& request, std::string& login);
  void addWaitingHost(const PeerPtr& host);
  // Registered hosts may take nine tenths of the connection cap, so logins and tunnels always
  // find room however many hosts wait.
  size_t hostCap() const { return options.maxConnections - options.maxConnections / 10; }
  void armDeadline(Peer& peer) { peer.deadline.expires_after(options.stepTimeout); }

  // First member, so it is destroyed last: its destructor frees the suspended coroutine frames,
  // whose sockets need it.
  asio::io_context io{1};
  const ServerOptions options;
  const P256KeyPair& key;
  RelayStore& store;
  AccountService accounts;
  asio::thread_pool accountPool;
  tcp::acceptor acceptor;
  asio::signal_set signals;
  std::unordered_map<std::string, PeerPtr> waitingHosts;  // by ID
  std::unordered_map<std::string, int> openTunnels;       // by account login
  RateLimiter connectionLimiter, tunnelAccountLimiter, tunnelSourceLimiter, newIdLimiter;
  LoginGuard loginGuard;
  std::shared_ptr<SourceCounts> sourceCounts;
  std::shared_ptr<size_t> connections = std::make_shared<size_t>(0);
  // Accept failures since the last line about them; one line per interval at most.
  size_t acceptFailures = 0;
  Clock::time_point acceptLogged{};
};

}  // namespace px::relayd
