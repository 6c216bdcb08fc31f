// The viewer session thread against a scripted host on loopback: every step's failure text, the
// password proof, the running session's messages and both ways of ending it.
#include "support/ecdh_support.h"
#include "viewer/viewer_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

#include "base/data_folder.h"
#include "host/frame_encoder.h"
#include "net/channel_handshake.h"
#include "protocol/session_messages.h"
#include "store/password_store.h"
#include "support/frame_payload.h"
#include "support/test_paths.h"
#include "viewer/viewer_input.h"

namespace px {
namespace {

using namespace std::chrono_literals;

class TestUi final : public ViewerUi {
 public:
  bool createWindow(ViewerSession&) override { return windowOk; }
  bool initRenderer(ViewerSession&) override { return rendererOk; }
  bool runOnce(ViewerSession&) override {
    std::this_thread::sleep_for(2ms);
    return !closeWindow.load();
  }
  void setStatus(const std::string& text) override {
    std::lock_guard lock(mutex);
    statuses.push_back(text);
  }
  void showSecurityAlert() override { ++alerts; }
  void loginExpired() override { ++expired; }
  void frameDecoded(ViewerSession&) override { ++frames; }
  void chatReceived(ViewerSession&) override { ++chats; }
  void postClose(ViewerSession&) override { ++closes; }
  void sessionEnded(ViewerSession&) override { ++ended; }
  std::string ownComputerId() override { return "987654321"; }
  std::string displayName() override { return "tecnico @ bancada"; }
  uint16_t scanCodeForKey(uint16_t vk) override { return uint16_t(vk + 1000); }

  bool windowOk = true;
  bool rendererOk = true;
  std::atomic<bool> closeWindow{false};
  std::atomic<int> alerts{0}, expired{0}, frames{0}, chats{0}, closes{0}, ended{0};
  std::mutex mutex;
  std::vector<std::string> statuses;
};

// The host's end of one connection: handshake with its own key, then `script`.
class ScriptedHost {
 public:
  using Script = std::function<void(SecureChannel&)>;

  explicit ScriptedHost(Script script) : script_(std::move(script)) {}
  ~ScriptedHost() { join(); }
  void join() {
    if (thread_.joinable()) thread_.join();
  }

  const P256KeyPair& key() const { return key_; }

  // A tunnel that joins the viewer straight to this host; the relay's answer for the ID is
  // `relayKey` (this host's key when null).
  TunnelOpener tunnel(const PublicKey64* relayKey = nullptr) {
    const PublicKey64 answer = relayKey ? *relayKey : key_.publicKey();
    return [this, answer](const std::string&, SecureChannel& channel, PublicKey64& hostKey,
                          TunnelFailure&) {
      uint16_t port = 0;
      const NativeSocket listener = tcpListenLoopback(port);
      if (listener == kInvalidSocket || !connectTcp(channel, "127.0.0.1", port)) return false;
      const NativeSocket accepted = tcpAccept(listener);
      socketShutdownAndClose(listener);
      host_ = SecureChannel(accepted);
      setReceiveTimeout(host_, 20000);
      thread_ = std::thread([this] {
        KeyPairSigner signer(key_);
        if (hostHandshake(host_, signer)) script_(host_);
        closeChannel(host_);
      });
      hostKey = answer;
      return true;
    };
  }

 private:
  P256KeyPair key_ = P256KeyPair::generate();
  Script script_;
  SecureChannel host_;
  std::thread thread_;
};

bool receiveType(SecureChannel& channel, MessageType type, Bytes& payload) {
  RecordHeader header;
  return receiveRecord(channel, header, payload) && header.type == uint8_t(type);
}

void sendParams(SecureChannel& channel, uint32_t iterations, uint8_t saltFill = 7) {
  PasswordParams params;
  params.salt.fill(saltFill);
  params.iterations = iterations;
  sendRecord(channel, uint8_t(MessageType::kPasswordParams), buildPasswordParams(params));
}

// Params, the request (returned), and the reply.
std::optional<AccessRequest> admit(SecureChannel& channel, AccessReply reply,
                                   uint32_t iterations = 1000) {
  sendParams(channel, iterations);
  Bytes payload;
  if (!receiveType(channel, MessageType::kAccessRequest, payload)) return {};
  auto request = parseAccessRequest(payload);
  sendRecord(channel, uint8_t(MessageType::kAccessReply), buildAccessReply(reply));
  return request;
}

class ViewerSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setDataFolderOverride(dir_.path());
    if (!test::ecdhAgreementAvailable()) GTEST_SKIP() << test::kNoEcdhReason;
  }
  void TearDown() override { setDataFolderOverride({}); }

  void run(ViewerSession& session, ScriptedHost& host, const std::string& password = {},
           const PublicKey64* relayKey = nullptr, ViewerTimeouts timeouts = {}) {
    viewerThread(session, password, ui_, timeouts, host.tunnel(relayKey));
  }

  test::TempDir dir_;
  TestUi ui_;
};

struct FailureCase {
  const char* name;
  ScriptedHost::Script script;
  const char* text;
};

TEST_F(ViewerSessionTest, EachStepFailsWithItsText) {
  const FailureCase cases[] = {
      {"no params",
       [](SecureChannel& c) { sendRecord(c, uint8_t(MessageType::kHostHello), buildHostHello({8, 8})); },
       "Erro: versao do Parvolex remoto incompativel"},
      {"short params",
       [](SecureChannel& c) { sendRecord(c, uint8_t(MessageType::kPasswordParams), Bytes(19, 0)); },
       "Erro: versao do Parvolex remoto incompativel"},
      {"refused", [](SecureChannel& c) { admit(c, {false, false}); },
       "Acesso recusado pelo computador remoto"},
      {"reply closed", [](SecureChannel& c) { sendParams(c, 1000); Bytes p; receiveType(c, MessageType::kAccessRequest, p); },
       "Sem resposta do computador remoto"},
      {"wrong reply type",
       [](SecureChannel& c) {
         sendParams(c, 1000);
         Bytes p;
         receiveType(c, MessageType::kAccessRequest, p);
         sendRecord(c, uint8_t(MessageType::kPing), {});
       },
       "Sem resposta do computador remoto"},
      {"no hello", [](SecureChannel& c) { admit(c, {true, true}); },
       "Erro: handshake invalido"},
      {"zero-size hello",
       [](SecureChannel& c) {
         admit(c, {true, true});
         sendRecord(c, uint8_t(MessageType::kHostHello), buildHostHello({0, 10}));
       },
       "Erro: handshake invalido"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost host(c.script);
    ViewerSession session("123456789");
    run(session, host);
    EXPECT_EQ(session.failure, c.text);
    EXPECT_TRUE(session.finished.load());
    EXPECT_EQ(ui_.statuses.back(), c.text);
    EXPECT_EQ(ui_.ended.load(), 0);
  }
  EXPECT_EQ(ui_.alerts.load(), 0);
}

TEST_F(ViewerSessionTest, AccessReplyTimeOut) {
  std::atomic<bool> done{false};
  ScriptedHost host([&](SecureChannel& c) {
    sendParams(c, 1000);
    while (!done.load()) std::this_thread::sleep_for(5ms);  // never answers
  });
  ViewerSession session("123456789");
  ViewerTimeouts timeouts;
  timeouts.accessReply = 300;
  run(session, host, {}, nullptr, timeouts);
  done.store(true);
  EXPECT_EQ(session.failure, "Sem resposta do computador remoto");
  EXPECT_EQ(ui_.statuses.back(), "Sem resposta do computador remoto");
}

TEST_F(ViewerSessionTest, HostKeyDifferentFromRelaysRaisesTheAlarm) {
  ScriptedHost host([](SecureChannel&) {});
  const PublicKey64 other = P256KeyPair::generate().publicKey();
  ViewerSession session("123456789");
  run(session, host, {}, &other);
  EXPECT_EQ(session.failure, "Erro: identidade do computador remoto nao confere");
  EXPECT_EQ(ui_.alerts.load(), 1);
}

TEST_F(ViewerSessionTest, HandshakeFailure) {
  ViewerSession session("123456789");
  ViewerTimeouts timeouts;
  timeouts.secure = 300;
  // The host side accepts and says nothing: the viewer's handshake times out.
  viewerThread(session, {}, ui_, timeouts,
               [](const std::string&, SecureChannel& channel, PublicKey64& key, TunnelFailure&) {
                 static SecureChannel silent;
                 uint16_t port = 0;
                 const NativeSocket listener = tcpListenLoopback(port);
                 if (!connectTcp(channel, "127.0.0.1", port)) return false;
                 silent = SecureChannel(tcpAccept(listener));
                 socketShutdownAndClose(listener);
                 key = {};
                 return true;
               });
  EXPECT_EQ(session.failure, "Erro: falha na conexao segura");
}

TEST_F(ViewerSessionTest, TunnelFailureCarriesItsFlags) {
  ViewerSession session("12345");
  viewerThread(session, {}, ui_, {},
               [](const std::string& id, SecureChannel&, PublicKey64&, TunnelFailure& f) {
                 EXPECT_EQ(id, "12345");
                 f.error = "Seu login venceu. Entre de novo.";
                 f.loginRequired = true;
                 return false;
               });
  EXPECT_EQ(session.failure, "Seu login venceu. Entre de novo.");
  EXPECT_EQ(ui_.expired.load(), 1);
  EXPECT_EQ(ui_.alerts.load(), 0);
  EXPECT_TRUE(session.finished.load());
  EXPECT_EQ(session.channel, nullptr);
}

TEST_F(ViewerSessionTest, StopBeforeStartSaysNothing) {
  ViewerSession session("123456789");
  session.running.store(false);
  bool called = false;
  viewerThread(session, {}, ui_, {}, [&](auto&, auto&, auto&, auto&) { return called = true; });
  EXPECT_FALSE(called);
  EXPECT_TRUE(ui_.statuses.empty());
  EXPECT_TRUE(session.finished.load());
}

struct ProofCase {
  const char* password;
  uint32_t iterations;
  bool expectProof;
};

TEST_F(ViewerSessionTest, PasswordProof) {
  const ProofCase cases[] = {
      {"segredo", 1000, true}, {"segredo", 2000001, false},
      {"", 1000, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.iterations);
    std::optional<AccessRequest> seen;
    SessionHash hostHash{};
    ScriptedHost host([&](SecureChannel& ch) {
      hostHash = ch.sessionHash();
      seen = admit(ch, {false, false}, c.iterations);
    });
    ViewerSession session("123456789");
    run(session, host, c.password);
    host.join();
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->computerId, "987654321");
    EXPECT_EQ(seen->displayName, "tecnico @ bancada");
    std::array<uint8_t, 32> expected{};
    if (c.expectProof) {
      PasswordSalt salt;
      salt.fill(7);
      Digest32 key{}, proof{};
      ASSERT_TRUE(hashAccessPassword(ByteView(reinterpret_cast<const uint8_t*>(c.password),
                                              strlen(c.password)),
                                     salt, c.iterations, key));
      ASSERT_TRUE(accessPasswordProof(key, hostHash, proof));
      std::copy(proof.begin(), proof.end(), expected.begin());
    }
    EXPECT_EQ(seen->proof, expected);
  }
}

class RunningSessionTest : public ViewerSessionTest {};

TEST_F(RunningSessionTest, HostByeEndsTheViewerAndItAnswers) {
  std::atomic<bool> viewerBye{false};
  Bytes chatSeen;
  ScriptedHost host([&](SecureChannel& c) {
    admit(c, {true, false});
    sendRecord(c, uint8_t(MessageType::kHostHello), buildHostHello({64, 32}));
    Bytes p;
    if (!receiveType(c, MessageType::kViewerReady, p)) return;
    MonitorList list;
    list.current = 1;
    list.monitors = {{64, 32}, {64, 32}};
    Bytes listBytes;
    buildMonitorList(list, listBytes);
    sendRecord(c, uint8_t(MessageType::kMonitorList), listBytes);
    sendRecord(c, uint8_t(MessageType::kMonitorSelected), buildMonitorSelected({1, 64, 32}));
    test::FrameBuilder frame(64, 32, 64, 32);
    frame.solid(0, 0, 64, 32, 0xFF102030);
    sendRecord(c, uint8_t(MessageType::kFrameUpdate), frame.bytes());
    Bytes chat;
    buildChatText("ola\tmundo ", chat);
    sendRecord(c, uint8_t(MessageType::kChatText), chat);
    sendRecord(c, uint8_t(MessageType::kPing), {});
    // The viewer's chat comes back before we leave.
    if (!receiveType(c, MessageType::kChatText, chatSeen)) return;
    sendRecord(c, uint8_t(MessageType::kBye), {});
    viewerBye = receiveType(c, MessageType::kBye, p);
  });
  ViewerSession session("123456789");
  std::thread chatter([&] {
    while (ui_.chats.load() == 0 && !session.finished.load()) std::this_thread::sleep_for(2ms);
    sendChat(session, "oi");
  });
  run(session, host);
  chatter.join();
  host.join();

  EXPECT_EQ(session.failure, "");
  EXPECT_TRUE(viewerBye.load());
  EXPECT_EQ(std::string(chatSeen.begin(), chatSeen.end()), "oi");
  EXPECT_EQ(ui_.frames.load(), 1);
  EXPECT_EQ(ui_.closes.load(), 1);
  EXPECT_EQ(ui_.ended.load(), 1);
  EXPECT_FALSE(session.controlGranted);
  EXPECT_EQ(session.windowTitle, u"123 456 789");
  EXPECT_EQ(session.overlay.monitorCount, 2);
  EXPECT_EQ(session.overlay.currentMonitor, 1);
  EXPECT_EQ(session.overlay.statusText, u"64 \u00d7 32    Somente visualiza\u00e7\u00e3o");
  ASSERT_EQ(session.image.pixels.size(), 64u * 32 * 4);
  EXPECT_EQ(loadLe32(&session.image.pixels[0]), 0xFF102030u);
  ASSERT_EQ(session.chat.entries.size(), 2u);
  EXPECT_EQ(session.chat.entries[0].text, u"ola mundo");
  EXPECT_FALSE(session.chat.entries[0].local);
  EXPECT_TRUE(session.chat.entries[1].local);
  EXPECT_EQ(ui_.statuses.back(), "Visualizando 123456789 (64x32)");
}

TEST_F(RunningSessionTest, ClosingTheWindowSendsByeAndReleasesHeldKeys) {
  std::vector<KeyInput> keys;
  std::optional<MouseInput> mouse;
  bool bye = false;
  ScriptedHost host([&](SecureChannel& c) {
    admit(c, {true, true});
    sendRecord(c, uint8_t(MessageType::kHostHello), buildHostHello({100, 50}));
    RecordHeader h;
    Bytes p;
    while (receiveRecord(c, h, p)) {
      if (h.type == uint8_t(MessageType::kKeyInput)) keys.push_back(*parseKeyInput(p));
      if (h.type == uint8_t(MessageType::kMouseInput)) mouse = parseMouseInput(p);
      if (h.type == uint8_t(MessageType::kBye)) {
        bye = true;
        break;
      }
    }
  });
  class InputUi final : public ViewerUi {
   public:
    explicit InputUi(TestUi& base) : base_(base) {}
    bool createWindow(ViewerSession&) override { return true; }
    bool initRenderer(ViewerSession&) override { return true; }
    void installKeyboardHook(ViewerSession&) override { hooked = true; }
    uint16_t scanCodeForKey(uint16_t vk) override { return uint16_t(vk + 1000); }
    bool runOnce(ViewerSession& s) override {
      // The window's input, once: a click in the middle, Shift and A held, A released.
      sendMouse(s, 1, 50, 25, 1, 0);
      sendKey(s, 0x10, 42, true, false);
      sendKey(s, 0x41, 30, true, false);
      sendKey(s, 0x41, 30, false, false);
      sendKey(s, 0x11, 29, true, false);
      return false;  // the window closed
    }
    bool hooked = false;
    TestUi& base_;
  } ui(ui_);
  ViewerSession session("55555");
  viewerThread(session, {}, ui, {}, host.tunnel());
  host.join();
  EXPECT_TRUE(ui.hooked);
  EXPECT_TRUE(bye);
  EXPECT_EQ(session.windowTitle, u"55555");
  ASSERT_TRUE(mouse);
  EXPECT_EQ(mouse->x, 50);
  EXPECT_EQ(mouse->buttons, 1u);
  ASSERT_EQ(keys.size(), 6u);
  // Teardown releases what was still held, in the order pressed, with the system's scan code.
  EXPECT_EQ(keys[4].virtualKey, 0x10);
  EXPECT_EQ(keys[4].scanCode, 0x10 + 1000);
  EXPECT_FALSE(keys[4].down);
  EXPECT_EQ(keys[5].virtualKey, 0x11);
  EXPECT_FALSE(keys[5].down);
}

TEST_F(ViewerSessionTest, WindowAndRendererFailures) {
  for (const bool windowFails : {true, false}) {
    ScriptedHost host([](SecureChannel& c) {
      admit(c, {true, true});
      sendRecord(c, uint8_t(MessageType::kHostHello), buildHostHello({16, 16}));
      Bytes p;
      RecordHeader h;
      while (receiveRecord(c, h, p)) {
      }
    });
    ui_.windowOk = !windowFails;
    ui_.rendererOk = false;
    ViewerSession session("123456789");
    run(session, host);
    EXPECT_EQ(session.failure, windowFails ? "Erro: nao foi possivel abrir a janela"
                                           : "Erro: D3D11 renderer falhou");
  }
}

TEST(ViewerWindowTitle, GroupsNineDigitsOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"123456789", "123 456 789"}, {"12345", "12345"}, {"12345678a", "12345678a"},
      {"1234567890", "1234567890"}, {"", ""}};
  for (const auto& [id, title] : cases) EXPECT_EQ(viewerWindowTitle(id), title) << id;
}

struct MapCase {
  int cw, ch, rw, rh, x, y, ex, ey;
};

TEST(MapToRemote, LetterboxedFit) {
  const MapCase cases[] = {
      {1920, 1080, 1920, 1080, 0, 0, 0, 0},
      {1920, 1080, 1920, 1080, 1919, 1079, 1919, 1079},
      {1920, 1080, 1920, 1080, 1920, 1080, 1920, 1080},  // one past the last pixel
      {960, 540, 1920, 1080, 480, 270, 960, 540},       // half-size view
      {1000, 540, 1920, 1080, 10, 100, 0, 200},          // left bar maps to x 0
      {1000, 540, 1920, 1080, 995, 100, 1920, 200},      // right bar to the width
      {0, 0, 0, 0, 5, 5, 1, 1},                          // degenerate sizes count as 1
  };
  for (const auto& c : cases) {
    const RemotePoint p = mapToRemote(c.cw, c.ch, c.rw, c.rh, c.x, c.y);
    EXPECT_EQ(p.x, c.ex) << c.cw << "x" << c.ch << " at " << c.x;
    EXPECT_EQ(p.y, c.ey) << c.cw << "x" << c.ch << " at " << c.y;
  }
}

TEST(SendMouseMove, SamePositionSendsOnce) {
  ViewerSession session("1");
  // No channel: only the bookkeeping of the last position is exercised.
  sendMouseMove(session, {3, 4});
  EXPECT_EQ(session.lastMouseX.load(), 3);
  EXPECT_EQ(session.lastMouseY.load(), 4);
}

}  // namespace
}  // namespace px
