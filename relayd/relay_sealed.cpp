// The sealed exchange: logins, logouts and tunnel requests.
#include "base/log.h"
#include "base/log_text.h"
#include "relayd/relay_server_impl.h"

namespace px::relayd {
namespace {

// Reply status for a request that did not open: no account status, so a viewer that somehow
// opens it reports an invalid answer.
constexpr uint8_t kUnopenedRequestStatus = 0xFF;

}  // namespace

awaitable<bool> RelayServer::Impl::answerSealed(Peer& peer, SealedExchange& exchange, Bytes& reply) {
  Bytes answer;
  const bool sealed = sealReply(exchange, reply, answer);
  secureWipe(reply);
  if (!sealed) co_return false;
  co_return co_await writeAll(peer, answer);
}

awaitable<void> RelayServer::Impl::sealedExchange(PeerPtr peer, ByteView opening) {
  Bytes answer;
  auto exchange = beginSealedExchange(opening, answer);
  if (!exchange) {
    co_await refuse(*peer, kRefusalRejected);
    co_return;
  }
  if (!co_await writeAll(*peer, answer)) co_return;
  std::array<uint8_t, kSealedRequestHeaderSize> headerBytes{};
  if (!co_await readExactly(*peer, headerBytes)) co_return;
  const auto header = parseSealedRequestHeader(headerBytes);
  if (!header || !acceptableSealedLength(header->sealedLength)) co_return;
  Bytes sealed(header->sealedLength), plaintext;
  if (!co_await readExactly(*peer, sealed)) co_return;
  if (!openSealedRequest(*exchange, key, *header, sealed, plaintext)) {
    logPrintf("[RELAY] Pedido lacrado invalido de %s\n", peer->source.c_str());
    // Answer under our own key when we have one: a viewer that sealed to another relay's key
    // then cannot open it and raises its identity alarm instead of reading a plain refusal.
    if (exchange->key.valid()) {
      Bytes reply{kUnopenedRequestStatus};
      co_await answerSealed(*peer, *exchange, reply);
      closePeer(*peer);
    } else {
      co_await refuse(*peer, kRefusalRejected);
    }
    co_return;
  }

  Bytes reply;
  switch (exchange->type) {
    case SealedType::kLogin:
      reply = co_await login(*peer, plaintext);
      secureWipe(plaintext);
      break;
    case SealedType::kLogout: {
      auto token = parseLogoutRequest(plaintext);
      secureWipe(plaintext);
      if (token) accounts.logout(*token);
      reply = {kAccountOk};
      break;
    }
    case SealedType::kTunnel:
      co_await tunnelRequest(peer, *exchange, plaintext);
      secureWipe(plaintext);
      co_return;
  }
  if (reply.empty()) {
    co_await refuse(*peer, kRefusalRejected);
    co_return;
  }
  co_await answerSealed(*peer, *exchange, reply);
  closePeer(*peer);
}

// The login reply, empty for a malformed request. The guard counts the attempt before the slow
// check starts, so attempts sent together cannot all slip under its limits.
awaitable<Bytes> RelayServer::Impl::login(Peer& peer, ByteView plaintext) {
  auto request = parseLoginRequest(plaintext);
  if (!request) co_return Bytes{};
  LoginReply result;
  result.status = loginGuard.begin(request->login, peer.source, Clock::now());
  if (result.status == kAccountOk) {
    const int64_t now = unixNow();
    result = co_await asio::co_spawn(
        accountPool, [this, &request, now]() -> awaitable<LoginReply> { co_return accounts.login(*request, now); },
        use_awaitable);
    result.status = loginGuard.finish(request->login, peer.source, result.status, Clock::now());
  }
  secureWipe(request->password);
  logPrintf("[RELAY] Login de %s: status %u\n", escapeForLog(request->login).c_str(), result.status);
  Bytes reply = buildLoginReply(result);
  secureWipe(result.token);
  co_return reply;
}

uint8_t RelayServer::Impl::tunnelStatus(Peer& peer, const TunnelRequest& request, std::string& login) {
  const auto now = Clock::now();
  if (!tunnelSourceLimiter.take(peer.source, now)) return kAccountTooManyAttempts;
  const uint8_t status = accounts.checkSession(request.token, unixNow(), login);
  if (status != kAccountOk) return status;
  if (!tunnelAccountLimiter.take(login, now)) return kAccountTooManyAttempts;
  if (options.tunnelsPerAccount > 0 && openTunnels[login] >= options.tunnelsPerAccount) {
    return kAccountTooManyAttempts;
  }
  return kAccountOk;
}

awaitable<void> RelayServer::Impl::tunnelRequest(PeerPtr peer, SealedExchange& exchange,
                                                 ByteView plaintext) {
  auto request = parseTunnelRequest(plaintext);
  if (!request) {
    co_await refuse(*peer, kRefusalRejected);
    co_return;
  }
  std::string login;
  uint8_t status = tunnelStatus(*peer, *request, login);
  secureWipe(request->token);

  // An ID that never existed and one that is offline take the same path: one table look-up.
  PeerPtr host;
  if (status == kAccountOk) {
    auto it = waitingHosts.find(request->id);
    if (it == waitingHosts.end()) {
      status = kAccountIdOffline;
    } else {
      host = it->second;
      waitingHosts.erase(it);
    }
  }
  Bytes reply = buildTunnelReply({status, host ? host->identity : PublicKey64{}});
  if (!co_await answerSealed(*peer, exchange, reply) || !host) {
    if (host && !host->claimed && host->socket.is_open() && !waitingHosts.contains(host->id)) {
      waitingHosts[host->id] = host;  // the viewer left before the join; the host keeps waiting
    }
    closePeer(*peer);
    co_return;
  }

  host->claimed = true;
  asio::error_code ec;
  host->socket.cancel(ec);
  stopWatching(*peer);
  // Neither end of a tunnel counts as opening or as a waiting host any more.
  peer->holdSlot(SourceSlot::kNone);
  host->holdSlot(SourceSlot::kNone);
  const uint8_t notice = kViewerJoinedNotice;
  logPrintf("[RELAY] Tunel de %s (%s) para ID %s\n", peer->source.c_str(), escapeForLog(login).c_str(),
            host->id.c_str());
  if (!co_await writeAll(*host, ByteView(&notice, 1))) {
    closePeer(*host);
    closePeer(*peer);
    co_return;
  }
  ++openTunnels[login];
  co_await joinTunnel(io, peer, host);
  if (--openTunnels[login] <= 0) openTunnels.erase(login);
}

}  // namespace px::relayd
