// The relay client's edge cases against a scripted relay on loopback.
#include <gtest/gtest.h>

#include "base/data_folder.h"
#include "support/test_paths.h"

#include <atomic>

#include "relay/fake_relay.h"
#include "relay/login_state.h"
#include "relay/login_worker.h"
#include "relay/registration_loop.h"
#include "relay/sealed_request.h"

namespace px {
namespace {

using test::FakeRelay;

class RecordingEvents : public RegistrationEvents {
 public:
  void relayStatusChanged() override { ++changes; }
  void viewerArrived(std::unique_ptr<SecureChannel> channel) override { arrived.push_back(std::move(channel)); }
  int changes = 0;
  std::vector<std::unique_ptr<SecureChannel>> arrived;
};

class RelayClientTest : public ::testing::Test {
 protected:
  test::TempDir userData_;
  void SetUp() override {
    setDataFolderOverride(userData_.path());  // known hosts of this test only
    relay_.configureClient();
    context_.running = &running_;
    context_.events = &events_;
    context_.state = &state_;
    context_.identity = {[this](PublicKey64& out) {
                           out = host_.publicKey();
                           return true;
                         },
                         [this](const Digest32& d, Signature64& out) { return host_.sign(d, out); }};
  }
  void TearDown() override {
    setDataFolderOverride({});
    relay_.join();
    setRelayConfig(builtInRelayConfig());
    clearLoginState(accountState());
  }
  void logIn(int64_t expiry) {
    std::lock_guard guard(accountState().lock);
    accountState().session.token.fill(0x77);
    accountState().session.expiry = expiry;
  }

  FakeRelay relay_;
  P256KeyPair host_ = P256KeyPair::generate();
  std::atomic<bool> running_{true};
  RecordingEvents events_;
  RegistrationState state_;
  RegistrationContext context_;
};

TEST_F(RelayClientTest, RegistrationRefusalIsReportedAsRefused) {
  relay_.serve([](NativeSocket s) {
    FakeRelay::receive(s, kRegistrationHelloSize);
    FakeRelay::sendByte(s, kRefusalTooManyAttempts);
  });
  EXPECT_EQ(registerOnce(context_), RegistrationOutcome::kRefused);
  EXPECT_EQ(state_.status(), RelayStatus::kConnecting);
  EXPECT_EQ(events_.changes, 1);
}

TEST_F(RelayClientTest, MissingChallengeIsARefusal) {
  relay_.serve([](NativeSocket s) {
    FakeRelay::receive(s, kRegistrationHelloSize);
    FakeRelay::sendByte(s, kStatusChallenge);
  });
  EXPECT_EQ(registerOnce(context_), RegistrationOutcome::kRefused);
}

TEST_F(RelayClientTest, NoAnswerToTheHelloIsRetried) {
  relay_.serve([](NativeSocket s) { FakeRelay::receive(s, kRegistrationHelloSize); });
  EXPECT_EQ(registerOnce(context_), RegistrationOutcome::kRetry);
}

TEST_F(RelayClientTest, BadConfirmationsRaiseTheAlarm) {
  const struct {
    const char* id;
    const char* signedId;
  } cases[] = {{"12345678a", "12345678a"}, {"123456789", "987654321"}};
  for (const auto& c : cases) {
    relay_.serve([&](NativeSocket s) { relay_.registerHost(s, c.id, c.signedId); });
    EXPECT_EQ(registerOnce(context_), RegistrationOutcome::kAlarm) << c.id;
    EXPECT_EQ(state_.currentId(), "");
    relay_.join();
  }
}

TEST_F(RelayClientTest, UntrustedRelayKeyRaisesTheAlarmBeforeTheProof) {
  const PublicKey64 other = P256KeyPair::generate().publicKey();
  relay_.configureClient(&other);
  std::atomic<bool> proofSent{false};
  relay_.serve([&](NativeSocket s) {
    FakeRelay::receive(s, kRegistrationHelloSize);
    FakeRelay::sendByte(s, kStatusChallenge);
    FakeRelay::send(s, buildRelayChallenge({relay_.key().publicKey(), {}}));
    proofSent = !FakeRelay::receive(s, kHostProofSize).empty();
  });
  EXPECT_EQ(registerOnce(context_), RegistrationOutcome::kAlarm);
  relay_.join();
  EXPECT_FALSE(proofSent);
}

TEST_F(RelayClientTest, ViewerNoticeHandsOverTheSameConnectionOnce) {
  relay_.serve([&](NativeSocket s) {
    relay_.registerHost(s, "123456789", "123456789");
    FakeRelay::sendByte(s, kViewerJoinedNotice);
    FakeRelay::send(s, asBytes("viewer"));
    FakeRelay::receive(s, 1);  // keep the connection until the test has read
  });
  EXPECT_EQ(registerOnce(context_), RegistrationOutcome::kViewerJoined);
  ASSERT_EQ(events_.arrived.size(), 1u);
  EXPECT_EQ(state_.currentId(), "123456789");  // shown until the next registration replaces it
  EXPECT_EQ(state_.status(), RelayStatus::kRegistered);
  Bytes fromViewer(6);
  ASSERT_TRUE(receiveExactly(*events_.arrived[0], fromViewer));
  EXPECT_EQ(fromViewer, Bytes(asBytes("viewer").begin(), asBytes("viewer").end()));
  ASSERT_TRUE(sendExactly(*events_.arrived[0], asBytes("x")));
}

TEST_F(RelayClientTest, LostRegisteredConnectionClearsTheId) {
  relay_.serve([&](NativeSocket s) { relay_.registerHost(s, "123456789", "123456789"); });
  EXPECT_EQ(registerOnce(context_), RegistrationOutcome::kLost);
  EXPECT_EQ(state_.currentId(), "");
  EXPECT_EQ(state_.status(), RelayStatus::kConnecting);
  EXPECT_TRUE(events_.arrived.empty());
}

TEST_F(RelayClientTest, ClearingTheRunningFlagEndsALongWait) {
  std::thread waiter([&] { waitWhileRunning(running_, 60000); });
  running_ = false;
  waiter.join();  // returns within one 100 ms step
}

TEST_F(RelayClientTest, LoopEndsWithoutAnIdentityKey) {
  context_.identity.publicKey = [](PublicKey64&) { return false; };
  relay_.serve([](NativeSocket) {});
  registrationLoop(context_);  // returns instead of retrying
}

TEST_F(RelayClientTest, SealedReplyLengthsOutsideTheRangeRaiseTheAlarm) {
  PX_SKIP_WITHOUT_AGREEMENT();
  for (uint16_t length : {uint16_t(16), uint16_t(1025)}) {
    relay_.serve([&](NativeSocket s) {
      FakeRelay::Opened opened;
      ASSERT_TRUE(relay_.openRequest(s, opened));
      FakeRelay::sendByte(s, kStatusSealedReply);
      const uint8_t bytes[2] = {uint8_t(length >> 8), uint8_t(length)};
      FakeRelay::send(s, bytes);
      FakeRelay::send(s, Bytes(16, 0));
    });
    SecureChannel channel;
    Bytes reply;
    SealedFailure failure;
    EXPECT_FALSE(relaySealedRequest(channel, SealedType::kLogout, Bytes(32), reply, failure));
    EXPECT_EQ(failure.error, "Erro: identidade do servidor relay nao confere");
    EXPECT_TRUE(failure.identityAlarm);
    relay_.join();
  }
}

TEST_F(RelayClientTest, RefusalAtTheOpeningUsesTheRefusalTexts) {
  const struct {
    uint8_t code;
    const char* text;
  } cases[] = {{5, "ID nao encontrado ou computador offline"},
               {7, "Muitas tentativas. Aguarde alguns minutos."},
               {8, "O relay recusou a conexao"},
               {65, "Erro: resposta invalida do relay"}};
  for (const auto& c : cases) {
    relay_.serve([&](NativeSocket s) {
      FakeRelay::receive(s, kOpeningSize);
      FakeRelay::sendByte(s, c.code);
    });
    SecureChannel channel;
    Bytes reply;
    SealedFailure failure;
    EXPECT_FALSE(relaySealedRequest(channel, SealedType::kTunnel, Bytes(41), reply, failure));
    EXPECT_EQ(failure.error, c.text);
    EXPECT_FALSE(failure.identityAlarm);
    relay_.join();
  }
}

TEST_F(RelayClientTest, TunnelRequestCarriesTokenAndIdAndPinsTheHostKey) {
  PX_SKIP_WITHOUT_AGREEMENT();
  logIn(accountClockNow() + 100);
  const PublicKey64 first = P256KeyPair::generate().publicKey(), second = P256KeyPair::generate().publicKey();
  const std::string id = "5550001" + std::to_string(::testing::UnitTest::GetInstance()->random_seed() % 90 + 10);
  for (const PublicKey64* key : {&first, &first, &second}) {
    uint16_t sealedLength = 0;
    Bytes plaintext;
    relay_.serve([&](NativeSocket s) {
      FakeRelay::Opened opened;
      ASSERT_TRUE(relay_.openRequest(s, opened));
      sealedLength = opened.sealedLength;
      plaintext = opened.plaintext;
      FakeRelay::sendSealedReply(s, opened, buildTunnelReply({kAccountOk, *key}));
    });
    SecureChannel channel;
    PublicKey64 hostKey{};
    TunnelFailure failure;
    const bool ok = requestTunnel(id, channel, hostKey, failure);
    relay_.join();
    EXPECT_EQ(sealedLength, 57);
    ASSERT_EQ(plaintext.size(), 41u);
    EXPECT_EQ(plaintext[0], 0x77);
    EXPECT_EQ(std::string(plaintext.begin() + 32, plaintext.end()), id);
    if (key == &first) {
      EXPECT_TRUE(ok) << failure.error;
      EXPECT_EQ(hostKey, first);
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ(failure.error, "Erro: identidade do computador remoto nao confere");
      EXPECT_TRUE(failure.identityAlarm);
    }
  }
}

TEST_F(RelayClientTest, TunnelReplyStatusesAndMalformedReplies) {
  PX_SKIP_WITHOUT_AGREEMENT();
  logIn(accountClockNow() + 100);
  const struct {
    Bytes reply;
    const char* text;
    bool loginRequired;
  } cases[] = {{{6}, "Seu login venceu. Entre de novo.", true},
               {{7}, "ID nao encontrado ou computador offline", false},
               {Bytes(64, 0), "Erro: resposta invalida do relay", false},
               {Bytes(66, 0), "Erro: resposta invalida do relay", false}};
  for (const auto& c : cases) {
    relay_.serve([&](NativeSocket s) {
      FakeRelay::Opened opened;
      ASSERT_TRUE(relay_.openRequest(s, opened));
      FakeRelay::sendSealedReply(s, opened, c.reply);
    });
    SecureChannel channel;
    PublicKey64 key;
    TunnelFailure failure;
    EXPECT_FALSE(requestTunnel("123456789", channel, key, failure));
    EXPECT_EQ(failure.error, c.text);
    EXPECT_EQ(failure.loginRequired, c.loginRequired);
    EXPECT_FALSE(failure.identityAlarm);
    relay_.join();
  }
}

TEST_F(RelayClientTest, SessionEndingThisSecondCountsAsExpired) {
  logIn(accountClockNow());
  SecureChannel channel;
  PublicKey64 key;
  TunnelFailure failure;
  EXPECT_FALSE(requestTunnel("123456789", channel, key, failure));
  EXPECT_TRUE(failure.loginRequired);
  EXPECT_EQ(failure.error, "Entre com o seu login para acessar");
  EXPECT_FALSE(channel.isOpen());  // never connected
  LoginState state;
  state.expiry = 1000;
  EXPECT_FALSE(sessionValid(state, 1000));
  EXPECT_TRUE(sessionValid(state, 999));
  EXPECT_FALSE(loggedInWithSpare(state, 970));
  EXPECT_TRUE(loggedInWithSpare(state, 969));
}

TEST_F(RelayClientTest, LoginRepliesAndRequestFields) {
  PX_SKIP_WITHOUT_AGREEMENT();
  LoginReply accepted;
  accepted.token.fill(5);
  accepted.lifetimeSeconds = 7200;
  accepted.displayName = "Maria";
  Bytes longer = buildLoginReply(accepted);
  longer.push_back(0);
  const struct {
    Bytes reply;
    bool accepted;
    const char* text;
  } cases[] = {{buildLoginReply(accepted), true, ""},
               {longer, false, "Erro: resposta invalida do relay"},
               {{4}, false, "Conta bloqueada por senhas erradas. Tente de novo em alguns minutos."}};
  for (const auto& c : cases) {
    Bytes request;
    relay_.serve([&](NativeSocket s) {
      FakeRelay::Opened opened;
      ASSERT_TRUE(relay_.openRequest(s, opened));
      request = opened.plaintext;
      FakeRelay::sendSealedReply(s, opened, c.reply);
    });
    const int64_t before = accountClockNow();
    auto result = performLogin(std::string(300, 'u'), "senha", 1);
    relay_.join();
    EXPECT_EQ(result->accepted, c.accepted);
    EXPECT_EQ(result->error, c.text);
    EXPECT_EQ(result->remember, 1);
    if (c.accepted) {
      EXPECT_EQ(result->displayName, "Maria");
      EXPECT_GE(result->expiry, before + 7200);
      EXPECT_EQ(result->token, accepted.token);
    }
    auto parsed = parseLoginRequest(request);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->login, std::string(255, 'u'));
    EXPECT_EQ(parsed->password, "senha");
    EXPECT_EQ(parsed->remember, 1);
    EXPECT_NE(parsed->deviceLabel.find(" @ "), std::string::npos);
  }
}

TEST_F(RelayClientTest, NoPinnedKeyMeansNoSealedRequest) {
  RelayConfig config = relayConfig();
  config.pinnedKeyPresent = false;
  setRelayConfig(config);
  SecureChannel channel;
  Bytes reply;
  SealedFailure failure;
  EXPECT_FALSE(relaySealedRequest(channel, SealedType::kLogin, Bytes(5), reply, failure));
  EXPECT_EQ(failure.error, "Erro: chave do servidor relay nao configurada");
  EXPECT_FALSE(channel.isOpen());
}

TEST_F(RelayClientTest, UnreachablePrimaryFallsBackToTheFallbackHost) {
  // The fake relay listens on 127.0.0.1 only, so 127.0.0.2 refuses the same port.
  RelayConfig config;
  config.primaryHost = "127.0.0.2";
  config.fallbackHost = "127.0.0.1";
  config.port = relay_.port();
  setRelayConfig(config);
  std::atomic<bool> accepted{false};
  relay_.serve([&](NativeSocket) { accepted = true; });
  SecureChannel channel;
  testing::internal::CaptureStdout();
  const bool connected = connectRelay(channel);
  const std::string logged = testing::internal::GetCapturedStdout();
  if (!connected) tcpConnectIpv4("127.0.0.1", relay_.port());  // release the fake relay
  relay_.join();
  EXPECT_TRUE(connected);
  EXPECT_TRUE(accepted);
  EXPECT_NE(logged.find("[RELAY] 127.0.0.2 inacessivel, tentando 127.0.0.1\n"), std::string::npos) << logged;
}

}  // namespace
}  // namespace px
