#include "relayd/relay_server.h"

#include <asio.hpp>
#include <chrono>
#include <csignal>
#include <unordered_map>

#include "base/log.h"
#include "relayd/rate_limiter.h"
#include "relayd/relay_handlers.h"

namespace px::relayd {
namespace {

using asio::awaitable;
using asio::use_awaitable;
using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

// Reply status for a request that did not open: no account status, so a viewer that somehow
// opens it reports an invalid answer.
constexpr uint8_t kUnopenedRequestStatus = 0xFF;
constexpr auto kFailedLoginWindow = std::chrono::minutes(15);
// Connections beyond the cap that still get a refusal code; past this they are dropped unread.
constexpr size_t kCapSlack = 256;

int64_t unixNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// One accepted connection. Shared by its own coroutine, its watchdog, and, once registered, the
// table of waiting hosts and later the tunnel that claims it. Network thread only.
struct Peer {
  explicit Peer(tcp::socket s) : socket(std::move(s)), deadline(socket.get_executor()) {}

  tcp::socket socket;
  asio::steady_timer deadline;  // closes the socket when it fires, while `watched`
  bool watched = true;
  bool claimed = false;  // a tunnel took this registered host
  std::string source;
  std::string id;
  PublicKey64 identity{};
};
using PeerPtr = std::shared_ptr<Peer>;

void closePeer(Peer& peer) {
  asio::error_code ignored;
  peer.socket.shutdown(tcp::socket::shutdown_both, ignored);
  peer.socket.close(ignored);
}

awaitable<void> watchdog(PeerPtr peer) {
  while (peer->watched && peer->socket.is_open()) {
    asio::error_code ec;
    co_await peer->deadline.async_wait(asio::redirect_error(use_awaitable, ec));
    if (peer->watched && peer->deadline.expiry() <= Clock::now()) closePeer(*peer);
  }
}

void stopWatching(Peer& peer) {
  peer.watched = false;
  peer.deadline.cancel();
}

awaitable<bool> readExactly(Peer& peer, MutableByteView out) {
  asio::error_code ec;
  co_await asio::async_read(peer.socket, asio::buffer(out.data(), out.size()),
                            asio::redirect_error(use_awaitable, ec));
  co_return !ec;
}

awaitable<bool> writeAll(Peer& peer, ByteView data) {
  asio::error_code ec;
  co_await asio::async_write(peer.socket, asio::buffer(data.data(), data.size()),
                             asio::redirect_error(use_awaitable, ec));
  co_return !ec;
}

// Sends a refusal code and closes. The caller has read everything the peer sent, so the close
// does not reset the connection before the code arrives.
awaitable<void> refuse(Peer& peer, uint8_t code) {
  const uint8_t byte = code;
  co_await writeAll(peer, ByteView(&byte, 1));
  asio::error_code ignored;
  peer.socket.shutdown(tcp::socket::shutdown_send, ignored);
  closePeer(peer);
}

// Grows while reads fill it, so a bulk transfer moves in few large system calls and an
// interactive tunnel stays small. On loopback a plain copy through this buffer measured faster
// than splice(2) through a pipe, which copies the pages as well.
constexpr size_t kTunnelBufferFirst = 16 * 1024;
constexpr size_t kTunnelBufferMost = 1024 * 1024;

awaitable<void> copyPump(PeerPtr from, PeerPtr to) {
  std::vector<uint8_t> buffer(kTunnelBufferFirst);
  for (;;) {
    asio::error_code ec;
    const size_t n = co_await from->socket.async_read_some(asio::buffer(buffer),
                                                           asio::redirect_error(use_awaitable, ec));
    if (ec) break;
    co_await asio::async_write(to->socket, asio::buffer(buffer.data(), n),
                               asio::redirect_error(use_awaitable, ec));
    if (ec) break;
    if (n == buffer.size() && buffer.size() < kTunnelBufferMost) buffer.resize(buffer.size() * 2);
  }
}

// One direction of a joined tunnel; when either direction ends, both connections close.
awaitable<void> pump(PeerPtr from, PeerPtr to) {
  co_await copyPump(from, to);
  closePeer(*from);
  closePeer(*to);
}

}  // namespace

bool parseListenAddress(const std::string& text, std::string& address, uint16_t& port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
  const std::string digits = text.substr(colon + 1);
  if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long value = std::stoul(digits);
  if (value > 65535) return false;
  address = text.substr(0, colon);
  port = uint16_t(value);
  return true;
}

struct RelayServer::Impl {
  Impl(const ServerOptions& o, const P256KeyPair& k, RelayStore& s)
      : options(o),
        key(k),
        store(s),
        accounts(s, o.accounts),
        accountPool(size_t(std::max(1, o.accountThreads))),
        acceptor(io),
        signals(io),
        connectionLimiter(o.connectionsPerMinute, std::chrono::minutes(1)),
        failedLoginLimiter(o.failedLoginsPerWindow,
                           std::chrono::duration_cast<std::chrono::seconds>(kFailedLoginWindow)),
        tunnelAccountLimiter(o.tunnelsPerMinute, std::chrono::minutes(1)),
        tunnelSourceLimiter(o.tunnelsPerMinute, std::chrono::minutes(1)) {}

  awaitable<void> acceptLoop();
  awaitable<void> handleConnection(PeerPtr peer);
  uint8_t admission(const Peer& peer);
  awaitable<void> registerHost(PeerPtr peer, ByteView hello);
  awaitable<void> sealedExchange(PeerPtr peer, ByteView opening);
  awaitable<bool> answerSealed(Peer& peer, SealedExchange& exchange, Bytes& reply);
  awaitable<void> tunnelRequest(PeerPtr peer, SealedExchange& exchange, ByteView plaintext);
  void addWaitingHost(const PeerPtr& host);
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
  RateLimiter connectionLimiter, failedLoginLimiter, tunnelAccountLimiter, tunnelSourceLimiter;
  std::shared_ptr<size_t> connections = std::make_shared<size_t>(0);
};

awaitable<void> RelayServer::Impl::acceptLoop() {
  while (acceptor.is_open()) {
    asio::error_code ec;
    tcp::socket socket = co_await acceptor.async_accept(asio::redirect_error(use_awaitable, ec));
    if (ec == asio::error::operation_aborted) co_return;
    if (ec) {
      // Out of descriptors or a transient failure: pause instead of spinning.
      logPrintf("[RELAY] accept falhou: %s\n", ec.message().c_str());
      asio::steady_timer pause(io, std::chrono::milliseconds(100));
      co_await pause.async_wait(asio::redirect_error(use_awaitable, ec));
      continue;
    }
    asio::co_spawn(io, handleConnection(std::make_shared<Peer>(std::move(socket))), asio::detached);
  }
}

uint8_t RelayServer::Impl::admission(const Peer& peer) {
  if (*connections > options.maxConnections) return kRefusalRejected;
  if (!connectionLimiter.take(peer.source, Clock::now())) return kRefusalTooManyAttempts;
  return 0;
}

awaitable<void> RelayServer::Impl::handleConnection(PeerPtr peer) {
  // Holds the counter by shared pointer: the frame may be destroyed with the io_context.
  struct Release {
    std::shared_ptr<size_t> count;
    ~Release() { --*count; }
  } release{connections};
  ++*connections;

  asio::error_code ec;
  const auto remote = peer->socket.remote_endpoint(ec);
  if (ec) co_return;
  peer->source = remote.address().to_string();
  peer->socket.set_option(tcp::no_delay(true), ec);
  // Counted at once, so silent connections count against their source too. Far beyond the cap
  // a connection is dropped without reading; near it, it gets the refusal code.
  if (*connections > options.maxConnections + kCapSlack) {
    closePeer(*peer);
    co_return;
  }
  uint8_t refusal = admission(*peer);
  armDeadline(*peer);
  asio::co_spawn(io, watchdog(peer), asio::detached);

  std::array<uint8_t, kRegistrationHelloSize> first{};
  if (!co_await readExactly(*peer, MutableByteView(first.data(), kOpeningSize))) co_return;
  const bool registration = first[0] == 'P' && first[1] == 'X' && first[2] == 'R' && first[3] == '3';
  if (registration &&
      !co_await readExactly(*peer, MutableByteView(first.data() + kOpeningSize, kRegistrationHelloSize - kOpeningSize))) {
    co_return;
  }
  if (refusal == 0 && first[4] == uint8_t(SealedType::kLogin) &&
      failedLoginLimiter.exceeded(peer->source, Clock::now())) {
    refusal = kRefusalTooManyAttempts;
  }
  if (refusal != 0) {
    logPrintf("[RELAY] %s recusado (codigo %u)\n", peer->source.c_str(), refusal);
    co_await refuse(*peer, refusal);
    co_return;
  }
  if (registration) {
    co_await registerHost(peer, first);
  } else {
    co_await sealedExchange(peer, ByteView(first.data(), kOpeningSize));
  }
  if (!peer->claimed && peer->id.empty()) stopWatching(*peer);
}

void RelayServer::Impl::addWaitingHost(const PeerPtr& host) {
  PeerPtr& slot = waitingHosts[host->id];
  if (slot && slot != host) {
    // A newer registration of the same key wins; the older connection is dropped.
    closePeer(*slot);
  }
  slot = host;
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
  if (!store.hostIdFor(pending->hello.identity, id) ||
      !buildRegisteredAnswer(*pending, id, key, answer)) {
    co_await refuse(*peer, kRefusalRejected);
    co_return;
  }
  if (!co_await writeAll(*peer, answer)) co_return;

  stopWatching(*peer);
  peer->id = id;
  peer->identity = pending->hello.identity;
  addWaitingHost(peer);
  logPrintf("[RELAY] Host %s registrado de %s\n", id.c_str(), peer->source.c_str());

  // A waiting host sends nothing: readiness means it closed (or broke the protocol).
  asio::error_code ec;
  co_await peer->socket.async_wait(tcp::socket::wait_read, asio::redirect_error(use_awaitable, ec));
  if (peer->claimed) co_return;
  auto it = waitingHosts.find(id);
  if (it != waitingHosts.end() && it->second == peer) {
    waitingHosts.erase(it);
    logPrintf("[RELAY] Host %s desconectou\n", id.c_str());
  }
  closePeer(*peer);
}

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
    case SealedType::kLogin: {
      auto request = parseLoginRequest(plaintext);
      secureWipe(plaintext);
      if (!request) break;
      const int64_t now = unixNow();
      LoginReply result = co_await asio::co_spawn(
          accountPool, [this, &request, now]() -> awaitable<LoginReply> {
            co_return accounts.login(*request, now);
          },
          use_awaitable);
      secureWipe(request->password);
      if (result.status == kAccountBadCredentials || result.status == kAccountLocked) {
        failedLoginLimiter.add(peer->source, Clock::now());
      }
      logPrintf("[RELAY] Login de %s: status %u\n", request->login.c_str(), result.status);
      reply = buildLoginReply(result);
      secureWipe(result.token);
      break;
    }
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

awaitable<void> RelayServer::Impl::tunnelRequest(PeerPtr peer, SealedExchange& exchange,
                                                 ByteView plaintext) {
  auto request = parseTunnelRequest(plaintext);
  if (!request) {
    co_await refuse(*peer, kRefusalRejected);
    co_return;
  }
  const auto now = Clock::now();
  std::string login;
  uint8_t status = kAccountOk;
  if (!tunnelSourceLimiter.take(peer->source, now)) {
    status = kAccountTooManyAttempts;
  } else {
    status = accounts.checkSession(request->token, unixNow(), login);
    if (status == kAccountOk && !tunnelAccountLimiter.take(login, now)) status = kAccountTooManyAttempts;
  }
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
  const uint8_t notice = kViewerJoinedNotice;
  logPrintf("[RELAY] Tunel de %s (%s) para ID %s\n", peer->source.c_str(), login.c_str(), host->id.c_str());
  if (!co_await writeAll(*host, ByteView(&notice, 1))) {
    closePeer(*host);
    closePeer(*peer);
    co_return;
  }
  asio::co_spawn(io, pump(host, peer), asio::detached);
  co_await pump(peer, host);
}

RelayServer::RelayServer(const ServerOptions& options, const P256KeyPair& relayKey, RelayStore& store)
    : impl_(std::make_unique<Impl>(options, relayKey, store)) {}

RelayServer::~RelayServer() {
  stop();
  impl_->accountPool.join();
}

bool RelayServer::start() {
  asio::error_code ec;
  tcp::resolver resolver(impl_->io);
  auto results = resolver.resolve(impl_->options.listenAddress, std::to_string(impl_->options.port),
                                  tcp::resolver::passive, ec);
  if (ec || results.empty()) {
    logPrintf("[RELAY] Endereco %s invalido: %s\n", impl_->options.listenAddress.c_str(), ec.message().c_str());
    return false;
  }
  const tcp::endpoint endpoint = *results.begin();
  auto& acceptor = impl_->acceptor;
  acceptor.open(endpoint.protocol(), ec);
  if (!ec) acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor.bind(endpoint, ec);
  if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    logPrintf("[RELAY] Nao foi possivel escutar em %s:%u: %s\n", impl_->options.listenAddress.c_str(),
              impl_->options.port, ec.message().c_str());
    return false;
  }
  asio::co_spawn(impl_->io, impl_->acceptLoop(), asio::detached);
  if (impl_->options.stopOnSignals) {
    // Installed before the listening line goes out, so a supervisor that waits for that line
    // and then signals always gets a clean shutdown.
    impl_->signals.add(SIGINT);
    impl_->signals.add(SIGTERM);
    impl_->signals.async_wait([this](const asio::error_code& error, int signal) {
      if (!error) logPrintf("[RELAY] Sinal %d recebido, encerrando\n", signal);
      stop();
    });
  }
  logPrintf("[RELAY] Escutando em %s:%u\n", endpoint.address().to_string().c_str(), port());
  return true;
}

uint16_t RelayServer::port() const {
  asio::error_code ec;
  const auto endpoint = impl_->acceptor.local_endpoint(ec);
  return ec ? 0 : endpoint.port();
}

void RelayServer::run() { impl_->io.run(); }

void RelayServer::stop() {
  asio::post(impl_->io, [impl = impl_.get()] {
    asio::error_code ignored;
    impl->acceptor.close(ignored);
    impl->signals.cancel(ignored);
    impl->io.stop();
  });
}

}  // namespace px::relayd
