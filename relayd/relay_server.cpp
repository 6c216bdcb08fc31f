#include "relayd/relay_server.h"

#include <cerrno>
#include <csignal>

#include "base/log.h"
#include "relayd/relay_server_impl.h"
#include "relayd/socket_tuning.h"

namespace px::relayd {
namespace {

// Connections beyond the cap that still get a refusal code; past this they are dropped unread.
constexpr size_t kCapSlack = 256;
// At most one log line per interval about failed accepts and dropped connections.
constexpr auto kTroubleLogInterval = std::chrono::minutes(1);
// How long accepting pauses after a failure; longer when descriptors ran out, since only closing
// connections frees them.
constexpr auto kAcceptPause = std::chrono::milliseconds(100);
constexpr auto kDescriptorPause = std::chrono::milliseconds(500);

bool outOfDescriptors(const asio::error_code& error) {
  return error.value() == EMFILE || error.value() == ENFILE;
}

}  // namespace

int64_t unixNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

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

RelayServer::Impl::Impl(const ServerOptions& o, const P256KeyPair& k, RelayStore& s)
    : options(o),
      key(k),
      store(s),
      accounts(s, o.accounts),
      accountPool(size_t(std::max(1, o.accountThreads))),
      acceptor(io),
      signals(io),
      connectionLimiter(o.connectionsPerMinute, std::chrono::minutes(1)),
      tunnelAccountLimiter(o.tunnelsPerMinute, std::chrono::minutes(1)),
      tunnelSourceLimiter(o.tunnelsPerMinute, std::chrono::minutes(1)),
      newIdLimiter(o.newIdsPerDay, std::chrono::hours(24)),
      loginGuard({o.accounts.lockAfter, std::chrono::seconds(o.accounts.lockSeconds), o.failedLoginsPerWindow,
                  o.accountFailuresPerHour}),
      sourceCounts(std::make_shared<SourceCounts>(o.openingPerSource, o.hostsPerSource)) {}

awaitable<void> RelayServer::Impl::acceptLoop() {
  while (acceptor.is_open()) {
    asio::error_code ec;
    tcp::socket socket = co_await acceptor.async_accept(asio::redirect_error(use_awaitable, ec));
    if (ec == asio::error::operation_aborted) co_return;
    if (ec) {
      co_await acceptFailed(ec);
      continue;
    }
    asio::co_spawn(io, handleConnection(std::make_shared<Peer>(std::move(socket))), asio::detached);
  }
}

// Pauses instead of spinning, and says so once per interval however often it happens.
awaitable<void> RelayServer::Impl::acceptFailed(const asio::error_code& error) {
  ++acceptFailures;
  const auto now = Clock::now();
  if (now - acceptLogged >= kTroubleLogInterval) {
    logPrintf("[RELAY] accept falhou: %s (%zu vezes desde o ultimo aviso)\n", error.message().c_str(),
              acceptFailures);
    acceptFailures = 0;
    acceptLogged = now;
  }
  asio::steady_timer pause(io, outOfDescriptors(error) ? kDescriptorPause : kAcceptPause);
  asio::error_code ignored;
  co_await pause.async_wait(asio::redirect_error(use_awaitable, ignored));
}

uint8_t RelayServer::Impl::admission(Peer& peer) {
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
  peer->counts = sourceCounts;
  peer->socket.set_option(tcp::no_delay(true), ec);
  setDeadPeerTimeout(peer->socket.native_handle(), options.deadPeerSeconds);
  // Counted at once, so silent connections count against their source too. Far beyond the cap,
  // or beyond what one source may hold in its opening exchange, a connection is dropped without
  // reading; near the cap, it gets the refusal code.
  if (*connections > options.maxConnections + kCapSlack || !peer->holdSlot(SourceSlot::kOpening)) {
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
      loginGuard.sourceExhausted(peer->source, Clock::now())) {
    refusal = kRefusalTooManyAttempts;
  }
  if (refusal == 0 && registration && sourceCounts->hosts() >= hostCap()) {
    refusal = kRefusalRejected;
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
  if (impl_->options.forgetIdsAfterSeconds > 0) {
    asio::co_spawn(impl_->io, impl_->sweepUnusedIds(), asio::detached);
  }
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
