// The relay client against the real parvolex-relay process on loopback.
#include <gtest/gtest.h>

#include "base/data_folder.h"
#include "support/test_paths.h"
#include <sys/socket.h>

#include <condition_variable>
#include <deque>

#include "net/channel_handshake.h"
#include "relay/login_state.h"
#include "relay/login_worker.h"
#include "relay/registration_loop.h"
#include "relay/relay_config.h"
#include "relay/sealed_request.h"
#include "support/relay_process_posix.h"
#include "support/test_paths.h"

namespace px {
namespace {

using namespace std::chrono_literals;
using test::RelayProcess;
using test::runRelayCommand;

// A host: the registration loop on its own thread with a key of its own.
class TestHost : public RegistrationEvents, public HandshakeSigner {
 public:
  explicit TestHost(P256KeyPair key = P256KeyPair::generate()) : key_(std::move(key)) {
    context_.running = &running_;
    context_.events = this;
    context_.state = &state_;
    context_.identity = {[this](PublicKey64& out) { return publicKey(out); },
                         [this](const Digest32& d, Signature64& out) { return sign(d, out); }};
    context_.waits = {200, 300, 300, 200};
    thread_ = std::thread([this] { registrationLoop(context_); });
  }
  ~TestHost() override { stop(); }

  void stop() {
    running_ = false;
    state_.interruptWait();
    if (thread_.joinable()) thread_.join();
  }

  const PublicKey64& key() const { return key_.publicKey(); }
  RegistrationState& state() { return state_; }

  // The ID once registered, or empty after `timeout`.
  std::string waitForId(std::chrono::milliseconds timeout = 10s) {
    std::unique_lock lock(lock_);
    changed_.wait_for(lock, timeout, [&] { return state_.status() == RelayStatus::kRegistered; });
    return state_.status() == RelayStatus::kRegistered ? state_.currentId() : std::string();
  }
  std::unique_ptr<SecureChannel> waitForViewer(std::chrono::milliseconds timeout = 10s) {
    std::unique_lock lock(lock_);
    changed_.wait_for(lock, timeout, [&] { return !arrived_.empty(); });
    if (arrived_.empty()) return nullptr;
    auto channel = std::move(arrived_.front());
    arrived_.pop_front();
    return channel;
  }
  bool waitForStatus(RelayStatus status, std::chrono::milliseconds timeout = 10s) {
    std::unique_lock lock(lock_);
    return changed_.wait_for(lock, timeout, [&] { return state_.status() == status; });
  }

  void relayStatusChanged() override {
    std::lock_guard guard(lock_);
    changed_.notify_all();
  }
  void viewerArrived(std::unique_ptr<SecureChannel> channel) override {
    std::lock_guard guard(lock_);
    arrived_.push_back(std::move(channel));
    changed_.notify_all();
  }
  bool publicKey(PublicKey64& out) override {
    out = key_.publicKey();
    return true;
  }
  bool sign(const Digest32& digest, Signature64& out) override { return key_.sign(digest, out); }

 private:
  P256KeyPair key_;
  std::atomic<bool> running_{true};
  RegistrationState state_;
  RegistrationContext context_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<SecureChannel>> arrived_;
  std::thread thread_;
};

class RelayEndToEndTest : public ::testing::Test {
 protected:
  test::TempDir userData_;
  void SetUp() override {
    setDataFolderOverride(userData_.path());  // known hosts of this test only
    data_ = temp_.path() / "relay";
    auto key = runRelayCommand({"key", "--data", data_.string()});
    ASSERT_EQ(key.exitCode, 0) << key.output;
    keyHex_ = key.output.substr(0, 128);
    addAccount("maria", "segredo", {"--display-name", "Maria Silva"});
  }
  void TearDown() override {
    setDataFolderOverride({});
    clearLoginState(accountState());
    setRelayConfig(builtInRelayConfig());
  }

  void addAccount(const std::string& login, const std::string& password, std::vector<std::string> extra) {
    std::vector<std::string> args{"account", "add", login, "--data", data_.string(), "--iterations", "1000"};
    args.insert(args.end(), extra.begin(), extra.end());
    auto result = runRelayCommand(args, password + "\n");
    ASSERT_EQ(result.exitCode, 0) << result.output;
  }

  void startRelay(std::vector<std::string> extra = {}) {
    relay_.reset();
    relay_ = std::make_unique<RelayProcess>(data_, extra);
    ASSERT_NE(relay_->port(), 0) << relay_->output();
    pointClientsAtRelay(keyHex_);
  }
  void pointClientsAtRelay(const std::string& keyHex) {
    RelayConfig config;
    config.primaryHost = "127.0.0.1";
    config.port = relay_->port();
    config.pinnedKeyPresent = parseRelayKeyHex(keyHex, config.pinnedKey);
    setRelayConfig(config);
  }

  // Logs in and, when accepted, installs the session as the main window would.
  std::unique_ptr<LoginResult> login(const std::string& name, const std::string& password) {
    auto result = performLogin(name, password, 0);
    if (result->accepted) {
      AccountState& account = accountState();
      std::lock_guard guard(account.lock);
      account.session = {result->token, result->expiry, result->loginName, result->displayName};
    }
    return result;
  }

  test::TempDir temp_;
  std::filesystem::path data_;
  std::string keyHex_;
  std::unique_ptr<RelayProcess> relay_;
};

TEST_F(RelayEndToEndTest, KeyCommandPrintsTheSameKeyEveryTime) {
  auto again = runRelayCommand({"key", "--data", data_.string()});
  EXPECT_EQ(again.output, keyHex_ + "\n");
  PublicKey64 parsed;
  EXPECT_TRUE(parseRelayKeyHex(keyHex_, parsed));
  EXPECT_EQ(std::filesystem::status(data_ / "relay.key").permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(RelayEndToEndTest, HostKeepsItsIdAcrossRestartsAndAnotherKeyGetsAnother) {
  startRelay();
  P256KeyPair key = P256KeyPair::generate();
  PrivateScalar32 scalar;
  ASSERT_TRUE(key.exportPrivateScalar(scalar));
  std::string first;
  {
    TestHost host(P256KeyPair::fromPrivateScalar(scalar));
    first = host.waitForId();
    ASSERT_TRUE(isComputerId(first));
  }
  startRelay();
  {
    TestHost host(P256KeyPair::fromPrivateScalar(scalar));
    EXPECT_EQ(host.waitForId(), first);
    TestHost other;
    const std::string second = other.waitForId();
    EXPECT_TRUE(isComputerId(second));
    EXPECT_NE(second, first);
  }
}

TEST_F(RelayEndToEndTest, ViewerLogsInTunnelsHandshakesAndLogsOut) {
  startRelay();
  TestHost host;
  const std::string id = host.waitForId();
  ASSERT_FALSE(id.empty());

  auto result = login("maria", "segredo");
  ASSERT_TRUE(result->accepted) << result->error;
  EXPECT_EQ(result->displayName, "Maria Silva");
  EXPECT_GT(result->expiry, accountClockNow() + 3600);

  SecureChannel viewer;
  PublicKey64 hostKey;
  TunnelFailure failure;
  ASSERT_TRUE(requestTunnel(id, viewer, hostKey, failure)) << failure.error;
  EXPECT_EQ(hostKey, host.key());

  auto hostChannel = host.waitForViewer();
  ASSERT_TRUE(hostChannel);
  std::thread hostSide([&] {
    ASSERT_TRUE(hostHandshake(*hostChannel, host));
    RecordHeader header;
    Bytes payload;
    ASSERT_TRUE(receiveRecord(*hostChannel, header, payload));
    ASSERT_TRUE(sendRecord(*hostChannel, uint8_t(header.type + 1), payload));
  });
  PublicKey64 proven;
  ASSERT_TRUE(viewerHandshake(viewer, proven));
  EXPECT_EQ(proven, hostKey);
  const Bytes big(200000, 0x5a);
  ASSERT_TRUE(sendRecord(viewer, 7, big));
  RecordHeader header;
  Bytes echoed;
  ASSERT_TRUE(receiveRecord(viewer, header, echoed));
  EXPECT_EQ(header.type, 8);
  EXPECT_EQ(echoed, big);
  hostSide.join();

  // The host registered again on a fresh connection, under the same ID.
  EXPECT_TRUE(host.waitForStatus(RelayStatus::kRegistered));
  EXPECT_EQ(host.state().currentId(), id);

  logoutWorker(result->token);
  SecureChannel again;
  ASSERT_FALSE(requestTunnel(id, again, hostKey, failure));
  EXPECT_EQ(failure.error, "Seu login venceu. Entre de novo.");
  EXPECT_TRUE(failure.loginRequired);
}

TEST_F(RelayEndToEndTest, AccountStatusesOfLogin) {
  addAccount("desligada", "x", {"--display-name", "D"});
  ASSERT_EQ(runRelayCommand({"account", "disable", "desligada", "--data", data_.string()}).exitCode, 0);
  addAccount("vencida", "x", {"--display-name", "V", "--expires", "2020-01-31"});
  addAccount("ana", "certa", {"--display-name", "Ana"});
  startRelay({"--lock-after", "2", "--failed-logins", "100"});

  const struct {
    const char* login;
    const char* password;
    const char* text;
  } cases[] = {
      {"maria", "errada", "Login ou senha incorretos"},
      {"ninguem", "x", "Login ou senha incorretos"},
      {"desligada", "x", "Esta conta está desativada"},
      {"vencida", "x", "Esta conta expirou"},
      {"ana", "errada", "Login ou senha incorretos"},
      {"ana", "errada", "Conta bloqueada por senhas erradas. Tente de novo em alguns minutos."},
      {"ana", "certa", "Conta bloqueada por senhas erradas. Tente de novo em alguns minutos."},
  };
  for (const auto& c : cases) {
    auto result = login(c.login, c.password);
    EXPECT_FALSE(result->accepted) << c.login;
    EXPECT_EQ(result->error, c.text) << c.login;
  }
  auto listed = runRelayCommand({"account", "list", "--data", data_.string()});
  EXPECT_NE(listed.output.find("desativada"), std::string::npos) << listed.output;
  EXPECT_NE(listed.output.find("2020-01-31"), std::string::npos) << listed.output;
}

TEST_F(RelayEndToEndTest, TunnelStatusesForOfflineIdsAndEndedSessions) {
  startRelay();
  auto result = login("maria", "segredo");
  ASSERT_TRUE(result->accepted);
  PublicKey64 key;
  TunnelFailure failure;
  {
    TestHost host;
    ASSERT_FALSE(host.waitForId().empty());
  }
  for (const char* id : {"000000001", "12345", "123456789"}) {
    SecureChannel channel;
    EXPECT_FALSE(requestTunnel(id, channel, key, failure));
    EXPECT_EQ(failure.error, "ID nao encontrado ou computador offline") << id;
    EXPECT_FALSE(failure.loginRequired);
  }

  // A token the relay does not know, with a local expiry still ahead.
  {
    std::lock_guard guard(accountState().lock);
    accountState().session.token[0] ^= 1;
  }
  SecureChannel channel;
  EXPECT_FALSE(requestTunnel("123456789", channel, key, failure));
  EXPECT_EQ(failure.error, "Seu login venceu. Entre de novo.");
  EXPECT_TRUE(failure.loginRequired);

  // A session that ended locally never reaches the relay.
  {
    std::lock_guard guard(accountState().lock);
    accountState().session.expiry = accountClockNow();
  }
  EXPECT_FALSE(requestTunnel("123456789", channel, key, failure));
  EXPECT_EQ(failure.error, "Entre com o seu login para acessar");
  EXPECT_TRUE(failure.loginRequired);
}

TEST_F(RelayEndToEndTest, SessionsEndAfterTheirLifetimeAndWithTheAccount) {
  startRelay({"--session-seconds", "1"});
  auto result = login("maria", "segredo");
  ASSERT_TRUE(result->accepted);
  EXPECT_LE(result->expiry, accountClockNow() + 1);
  std::this_thread::sleep_for(2100ms);
  {
    std::lock_guard guard(accountState().lock);
    accountState().session.expiry = accountClockNow() + 3600;  // pretend the local clock lags
  }
  SecureChannel channel;
  PublicKey64 key;
  TunnelFailure failure;
  EXPECT_FALSE(requestTunnel("123456789", channel, key, failure));
  EXPECT_EQ(failure.error, "Seu login venceu. Entre de novo.");

  startRelay();
  ASSERT_TRUE(login("maria", "segredo")->accepted);
  ASSERT_EQ(runRelayCommand({"account", "disable", "maria", "--data", data_.string()}).exitCode, 0);
  SecureChannel second;
  EXPECT_FALSE(requestTunnel("123456789", second, key, failure));
  EXPECT_EQ(failure.error, "Seu login venceu. Entre de novo.");
}

TEST_F(RelayEndToEndTest, TooManyTunnelRequestsPerAccount) {
  startRelay({"--tunnels-per-minute", "2"});
  ASSERT_TRUE(login("maria", "segredo")->accepted);
  PublicKey64 key;
  TunnelFailure failure;
  std::vector<std::string> errors;
  for (int i = 0; i < 3; ++i) {
    SecureChannel channel;
    EXPECT_FALSE(requestTunnel("123456789", channel, key, failure));
    errors.push_back(failure.error);
  }
  EXPECT_EQ(errors[0], "ID nao encontrado ou computador offline");
  EXPECT_EQ(errors[2], "Muitas tentativas. Aguarde alguns minutos.");
}

TEST_F(RelayEndToEndTest, RefusalsPerSourceAndForTheConnectionCap) {
  startRelay({"--connections-per-minute", "2"});
  EXPECT_TRUE(login("maria", "segredo")->accepted);
  EXPECT_TRUE(login("maria", "segredo")->accepted);
  EXPECT_EQ(login("maria", "segredo")->error, "Muitas tentativas. Aguarde alguns minutos.");
  {
    // Registration sees the same refusal and keeps trying.
    TestHost host;
    EXPECT_EQ(host.waitForId(1500ms), "");
  }

  startRelay({"--failed-logins", "2", "--lock-after", "0"});
  EXPECT_FALSE(login("maria", "errada")->accepted);
  EXPECT_FALSE(login("maria", "errada")->accepted);
  EXPECT_EQ(login("maria", "segredo")->error, "Muitas tentativas. Aguarde alguns minutos.");

  startRelay({"--max-connections", "0"});
  EXPECT_EQ(login("maria", "segredo")->error, "O relay recusou a conexao");
}

TEST_F(RelayEndToEndTest, ARelayWithAnotherKeyRaisesTheAlarms) {
  startRelay();
  const std::string otherKey = toHex(P256KeyPair::generate().publicKey());
  pointClientsAtRelay(otherKey);

  auto result = login("maria", "segredo");
  EXPECT_FALSE(result->accepted);
  EXPECT_EQ(result->error, "Erro: identidade do servidor relay nao confere");
  Bytes reply;
  SealedFailure failure;
  SecureChannel channel;
  EXPECT_FALSE(relaySealedRequest(channel, SealedType::kLogout, Bytes(32), reply, failure));
  EXPECT_TRUE(failure.identityAlarm);

  TestHost host;
  EXPECT_EQ(host.waitForId(1500ms), "");
  EXPECT_EQ(host.state().status(), RelayStatus::kConnecting);
}

TEST_F(RelayEndToEndTest, WithoutAPinnedKeyRegistrationTrustsTheFirstKeyButSealedRequestsRefuse) {
  startRelay();
  RelayConfig config = relayConfig();
  config.pinnedKeyPresent = false;
  config.primaryHost = "127.0.0.1";
  setRelayConfig(config);
  TestHost host;
  EXPECT_FALSE(host.waitForId().empty());
  auto result = login("maria", "segredo");
  EXPECT_EQ(result->error, "Erro: chave do servidor relay nao configurada");
}

TEST_F(RelayEndToEndTest, ANewerRegistrationOfTheSameKeyReplacesTheWaitingOne) {
  startRelay();
  P256KeyPair key = P256KeyPair::generate();
  PrivateScalar32 scalar;
  ASSERT_TRUE(key.exportPrivateScalar(scalar));
  TestHost first(P256KeyPair::fromPrivateScalar(scalar));
  const std::string id = first.waitForId();
  ASSERT_FALSE(id.empty());
  TestHost second(P256KeyPair::fromPrivateScalar(scalar));
  EXPECT_EQ(second.waitForId(), id);
  // The first lost its registered connection and went back to connecting.
  EXPECT_TRUE(first.waitForStatus(RelayStatus::kConnecting));
}

TEST_F(RelayEndToEndTest, SilentConnectionsAreClosedAfterTheStepTimeout) {
  startRelay({"--step-timeout-ms", "300"});
  for (size_t sent : {size_t(0), size_t(3), size_t(5)}) {
    NativeSocket socket = tcpConnectIpv4("127.0.0.1", relay_->port());
    ASSERT_NE(socket, kInvalidSocket);
    const uint8_t opening[5] = {'P', 'X', 'R', '4', 49};
    ASSERT_TRUE(socketSendAll(socket, ByteView(opening, sent)));
    timeval limit{5, 0};
    setsockopt(int(socket), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    uint8_t buffer[64];
    ssize_t n = 0, total = 0;
    while ((n = recv(int(socket), buffer, sizeof buffer, 0)) > 0) total += n;
    EXPECT_EQ(n, 0) << "the relay should close, not leave the connection hanging (sent " << sent << ")";
    EXPECT_EQ(total, sent == 5 ? 33 : 0);
    socketShutdownAndClose(socket);
  }
}

TEST_F(RelayEndToEndTest, ServerStopsCleanlyOnSigterm) {
  startRelay();
  EXPECT_EQ(relay_->stop(), 0);
  EXPECT_NE(relay_->output().find("[RELAY] Encerrado"), std::string::npos);
}

}  // namespace
}  // namespace px
