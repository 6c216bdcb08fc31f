// Host registration, the table of waiting hosts, and the removal of IDs left unused.
#include <algorithm>

#include "base/log.h"
#include "relayd/relay_server_impl.h"

namespace px::relayd {
namespace {

// A host seen within this long is not written again; the sweep's own margin covers it.
constexpr int64_t kSeenResolutionSeconds = 3600;

}  // namespace

void RelayServer::Impl::addWaitingHost(const PeerPtr& host) {
  PeerPtr& slot = waitingHosts[host->id];
  if (slot && slot != host) {
    // A newer registration of the same key wins; the older connection is dropped.
    closePeer(*slot);
  }
  slot = host;
}

// The ID of a key seen before, or a new one while the source may still add keys today. Answers
// the refusal itself when there is none.
awaitable<bool> RelayServer::Impl::assignId(Peer& peer, const PublicKey64& identity, std::string& id) {
  const int64_t now = unixNow();
  const int64_t resolution = std::min(kSeenResolutionSeconds, options.forgetIdsAfterSeconds / 4);
  const HostLookup found = store.findHost(identity, now, now - resolution, id);
  if (found == HostLookup::kFound) co_return true;
  uint8_t refusal = 0;
  if (found == HostLookup::kFailed) {
    refusal = kRefusalTooManyAttempts;  // the store logged why; the host retries later
  } else if (!newIdLimiter.take(peer.source, Clock::now())) {
    logPrintf("[RELAY] %s atingiu o limite de novos IDs por dia\n", peer.source.c_str());
    refusal = kRefusalTooManyAttempts;
  } else if (!store.hostIdFor(identity, now, id)) {
    refusal = kRefusalTooManyAttempts;
  }
  if (refusal == 0) co_return true;
  co_await refuse(peer, refusal);
  co_return false;
}

awaitable<void> RelayServer::Impl::registerHost(PeerPtr peer, ByteView hello) {
  Bytes answer;
  auto pending = beginRegistration(hello, key.publicKey(), answer);
  if (!pending) {
    co_await refuse(*peer, kRefusalRejected);
    co_return;
  }
  if (!co_await writeAll(*peer, answer)) co_return;
  std::array<uint8_t, kHostProofSize> proof{};
  if (!co_await readExactly(*peer, proof)) co_return;
  std::string id;
  if (!verifyRegistrationProof(*pending, key.publicKey(), proof)) {
    logPrintf("[RELAY] Prova de registro invalida de %s\n", peer->source.c_str());
    co_await refuse(*peer, kRefusalRejected);
    co_return;
  }
  if (!co_await assignId(*peer, pending->hello.identity, id)) co_return;
  if (!peer->holdSlot(SourceSlot::kHost)) {
    logPrintf("[RELAY] %s atingiu o limite de hosts registrados\n", peer->source.c_str());
    co_await refuse(*peer, kRefusalRejected);
    co_return;
  }
  if (!buildRegisteredAnswer(*pending, id, key, answer)) {
    co_await refuse(*peer, kRefusalRejected);
    co_return;
  }
  if (!co_await writeAll(*peer, answer)) co_return;

  stopWatching(*peer);
  peer->id = id;
  peer->identity = pending->hello.identity;
  addWaitingHost(peer);
  logPrintf("[RELAY] Host %s registrado de %s\n", id.c_str(), peer->source.c_str());
  co_await waitRegistered(peer);
}

// A waiting host sends nothing: readiness means it closed, broke the protocol, or stopped
// answering keep-alive probes.
awaitable<void> RelayServer::Impl::waitRegistered(PeerPtr peer) {
  asio::error_code ec;
  co_await peer->socket.async_wait(tcp::socket::wait_read, asio::redirect_error(use_awaitable, ec));
  if (peer->claimed) co_return;
  auto it = waitingHosts.find(peer->id);
  if (it != waitingHosts.end() && it->second == peer) {
    waitingHosts.erase(it);
    logPrintf("[RELAY] Host %s desconectou\n", peer->id.c_str());
  }
  closePeer(*peer);
}

// Now and then: marks the hosts registered right now as seen, then removes the IDs nobody used
// for the configured time. On the network thread: one transaction of short updates per interval.
awaitable<void> RelayServer::Impl::sweepUnusedIds() {
  asio::steady_timer timer(io);
  for (;;) {
    timer.expires_after(options.sweepInterval);
    asio::error_code ec;
    co_await timer.async_wait(asio::redirect_error(use_awaitable, ec));
    if (ec) co_return;
    std::vector<std::string> online;
    online.reserve(waitingHosts.size());
    for (const auto& [id, host] : waitingHosts) online.push_back(id);
    const int64_t now = unixNow();
    // Never removes an online host's row: they are all marked seen first, or nothing is removed.
    const int removed = store.markHostsSeen(online, now)
                            ? store.forgetHostsUnseenSince(now - options.forgetIdsAfterSeconds)
                            : -1;
    if (removed > 0) logPrintf("[RELAY] %d IDs sem uso removidos\n", removed);
  }
}

}  // namespace px::relayd
