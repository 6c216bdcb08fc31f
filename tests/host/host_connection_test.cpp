// The access decision over a real loopback channel: a scripted viewer runs the handshake and
// sends its request; the host admits by password, asks a fake prompt, or drops the connection.
#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "host/host_session.h"
#include "host/host_test_support.h"
#include "net/channel_handshake.h"
#include "net/channel_pair.h"
#include "protocol/session_messages.h"
#include "store/connection_lists.h"
#include "store/password_store.h"
#include "store/store_test_support.h"
#include "support/ecdh_support.h"

namespace px {
namespace {

using test::receiveMessage;

constexpr char kPassword[] = "segredo-do-host";
constexpr int64_t kMinute = 60000;

enum class Proof { kNone, kCorrect, kWrong };

struct ViewerScript {
  Proof proof = Proof::kNone;
  std::string id = "123456789";
  std::string name = "tecnico @ oficina";
  std::optional<Bytes> rawRequest;  // sent instead of a well-formed AccessRequest
  uint8_t requestType = uint8_t(MessageType::kAccessRequest);
};

struct ViewerOutcome {
  bool handshake = false;
  std::optional<PasswordParams> params;
  std::optional<AccessReply> reply;
  bool channelEnded = false;  // nothing more arrived after the reply (or instead of it)
};

ViewerOutcome runViewer(SecureChannel& channel, const ViewerScript& script) {
  ViewerOutcome out;
  PublicKey64 identity;
  out.handshake = viewerHandshake(channel, identity);
  if (!out.handshake) return out;
  auto params = receiveMessage(channel);
  if (!params || params->type != uint8_t(MessageType::kPasswordParams)) return out;
  out.params = parsePasswordParams(params->payload);
  if (!out.params) return out;

  Bytes request;
  if (script.rawRequest) {
    request = *script.rawRequest;
  } else {
    AccessRequest r{script.id, script.name, {}};
    if (script.proof != Proof::kNone) {
      const std::string typed = script.proof == Proof::kCorrect ? kPassword : "outra-senha";
      Digest32 hash;
      EXPECT_TRUE(hashAccessPassword(asBytes(typed), out.params->salt, out.params->iterations, hash));
      Digest32 proof;
      EXPECT_TRUE(accessPasswordProof(hash, channel.sessionHash(), proof));
      std::copy(proof.begin(), proof.end(), r.proof.begin());
    }
    request = buildAccessRequest(r);
  }
  sendRecord(channel, script.requestType, request);
  if (auto reply = receiveMessage(channel)) {
    if (reply->type == uint8_t(MessageType::kAccessReply)) out.reply = parseAccessReply(reply->payload);
  }
  if (!out.reply || !out.reply->accepted) out.channelEnded = !receiveMessage(channel).has_value();
  return out;
}

ViewerScript script(Proof proof) {
  ViewerScript s;
  s.proof = proof;
  return s;
}

class HostConnectionTest : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    if (!test::ecdhAgreementAvailable()) GTEST_SKIP() << test::kNoEcdhReason;
    loadPasswordStore();
    writeText(kRecentFileName, "");  // a missing file would keep an earlier test's list
    loadRecent();
    HostDependencies deps;
    deps.events = &events_;
    deps.clockMs = [this] { return clock_.load(); };
    deps.signer = &signer_;
    deps.showAccessPrompt = [this](const std::string& name, const std::string& id) {
      ++promptCalls_;
      promptName_ = name;
      promptId_ = id;
      return prompt_ ? prompt_() : answer_;
    };
    host_ = std::make_unique<HostService>(std::move(deps));
  }
  void TearDown() override {
    host_.reset();
    if (events_.started) closeChannel(*events_.started->channel);
    writeText(kRecentFileName, "");
    loadRecent();
    DataFolderTest::TearDown();
    loadPasswordStore();
  }

  void setPassword() { ASSERT_TRUE(setAccessPassword(asBytes(kPassword))); }

  // One connection: the scripted viewer on a thread, the host's decision on this one.
  ViewerOutcome connect(const ViewerScript& script) {
    events_.started.reset();
    SecureChannel viewer, hostEnd;
    test::connectPair(viewer, hostEnd);
    ViewerOutcome out;
    std::thread v([&] { out = runViewer(viewer, script); });
    host_->hostConnectionThread(std::make_unique<SecureChannel>(std::move(hostEnd)));
    v.join();
    return out;
  }

  uint32_t failures() {
    std::lock_guard guard(passwordStoreLock());
    return host_->passwordGuardLocked().failures;
  }

  P256KeyPair key_ = P256KeyPair::generate();
  KeyPairSigner signer_{key_};
  test::RecordingHostEvents events_;
  std::atomic<int64_t> clock_{0};
  AccessAnswer answer_{false, false};
  std::function<AccessAnswer()> prompt_;
  std::atomic<int> promptCalls_{0};
  std::string promptName_, promptId_;
  std::unique_ptr<HostService> host_;
};

TEST_F(HostConnectionTest, CorrectPasswordAdmitsWithControlWithoutAsking) {
  setPassword();
  const ViewerOutcome out = connect(script(Proof::kCorrect));
  ASSERT_TRUE(out.reply);
  EXPECT_TRUE(out.reply->accepted);
  EXPECT_TRUE(out.reply->control);
  EXPECT_EQ(promptCalls_, 0);
  ASSERT_TRUE(events_.started);
  EXPECT_TRUE(events_.started->control);
  EXPECT_EQ(events_.started->displayText, "tecnico @ oficina (ID 123456789)");
  const auto recent = recentEntries();
  ASSERT_EQ(recent.size(), 1u);
  EXPECT_EQ(recent[0].id, "123456789");
  EXPECT_EQ(recent[0].name, "tecnico @ oficina");
}

TEST_F(HostConnectionTest, PasswordParamsCarryTheStoredSaltOrFreshRandomBytes) {
  const ViewerOutcome first = connect(script(Proof::kNone));
  const ViewerOutcome second = connect(script(Proof::kNone));
  ASSERT_TRUE(first.params && second.params);
  EXPECT_EQ(first.params->iterations, 100000u);
  EXPECT_NE(first.params->salt, second.params->salt);

  setPassword();
  const ViewerOutcome third = connect(script(Proof::kNone));
  ASSERT_TRUE(third.params);
  EXPECT_EQ(third.params->salt, readPasswordStore().salt);
}

TEST_F(HostConnectionTest, FiveWrongPasswordsLockForFifteenMinutesThenCorrectIsAccepted) {
  setPassword();
  for (uint32_t i = 1; i <= 4; ++i) {
    clock_ += kMinute;
    const ViewerOutcome out = connect(script(Proof::kWrong));
    EXPECT_EQ(failures(), i);
    EXPECT_EQ(promptCalls_, int(i));
    ASSERT_TRUE(out.reply);
    EXPECT_FALSE(out.reply->accepted);
  }
  clock_ += kMinute;
  connect(script(Proof::kWrong));
  EXPECT_EQ(failures(), 0u);  // the fifth locks and clears the count
  const int64_t lockedAt = clock_;

  // Locked: even the right password is not checked; the user is asked and nothing is counted.
  clock_ = lockedAt + kPasswordLockMs - 1;
  const ViewerOutcome locked = connect(script(Proof::kCorrect));
  EXPECT_EQ(promptCalls_, 6);
  EXPECT_FALSE(locked.reply->accepted);
  EXPECT_EQ(failures(), 0u);

  clock_ = lockedAt + kPasswordLockMs;
  const ViewerOutcome after = connect(script(Proof::kCorrect));
  EXPECT_EQ(promptCalls_, 6);
  ASSERT_TRUE(after.reply);
  EXPECT_TRUE(after.reply->accepted);
  EXPECT_TRUE(after.reply->control);
}

TEST_F(HostConnectionTest, FourWrongThenSixteenMinutesStartsANewCount) {
  setPassword();
  for (int i = 0; i < 4; ++i) connect(script(Proof::kWrong));
  EXPECT_EQ(failures(), 4u);
  clock_ += 16 * kMinute;
  connect(script(Proof::kWrong));
  EXPECT_EQ(failures(), 1u);
}

TEST_F(HostConnectionTest, CorrectPasswordClearsTheCountButNotTheWindow) {
  setPassword();
  for (int i = 0; i < 3; ++i) connect(script(Proof::kWrong));
  clock_ = kMinute;
  EXPECT_TRUE(connect(script(Proof::kCorrect)).reply->accepted);
  EXPECT_EQ(failures(), 0u);

  // Still the window opened at time 0: four more fit before it ends...
  clock_ = 14 * kMinute;
  for (int i = 0; i < 4; ++i) connect(script(Proof::kWrong));
  EXPECT_EQ(failures(), 4u);
  // ...and 16 minutes after its start a new one begins, where a window restarted by the correct
  // password would have made this the fifth failure and locked.
  clock_ = 16 * kMinute;
  connect(script(Proof::kWrong));
  EXPECT_EQ(failures(), 1u);
  clock_ += kMinute;
  EXPECT_TRUE(connect(script(Proof::kCorrect)).reply->accepted);
}

TEST_F(HostConnectionTest, ZeroProofWithAPasswordSetAsksAndCountsNothing) {
  setPassword();
  answer_ = {true, false};
  const ViewerOutcome out = connect(script(Proof::kNone));
  EXPECT_EQ(promptCalls_, 1);
  EXPECT_EQ(promptName_, "tecnico @ oficina");
  EXPECT_EQ(promptId_, "123456789");
  EXPECT_EQ(failures(), 0u);
  ASSERT_TRUE(out.reply);
  EXPECT_TRUE(out.reply->accepted);
  EXPECT_FALSE(out.reply->control);
  ASSERT_TRUE(events_.started);
  EXPECT_FALSE(events_.started->control);
}

TEST_F(HostConnectionTest, AProofWithoutAStoredPasswordGoesToThePrompt) {
  answer_ = {true, true};
  const ViewerOutcome out = connect(script(Proof::kWrong));
  EXPECT_EQ(promptCalls_, 1);
  EXPECT_EQ(failures(), 0u);
  EXPECT_TRUE(out.reply->control);
}

TEST_F(HostConnectionTest, RefusalRepliesZeroZeroAndCloses) {
  answer_ = {false, true};  // a refused prompt's checkbox does not leak into the reply
  const ViewerOutcome out = connect(script(Proof::kNone));
  ASSERT_TRUE(out.reply);
  EXPECT_FALSE(out.reply->accepted);
  EXPECT_FALSE(out.reply->control);
  EXPECT_TRUE(out.channelEnded);
  EXPECT_EQ(events_.ended, std::vector<bool>{true});
  EXPECT_EQ(host_->state(), HostState::kIdle);
  EXPECT_EQ(events_.statusesCopy().back(), "Acesso recusado.");
  EXPECT_FALSE(events_.started);
  EXPECT_TRUE(recentEntries().empty());
}

TEST_F(HostConnectionTest, InvalidRequestsCloseWithoutAReply) {
  struct Case {
    const char* what;
    std::optional<Bytes> raw;
    uint8_t type;
  };
  const Bytes valid = buildAccessRequest({"1", "x", {}});
  const Case cases[] = {
      {"111 bytes", Bytes(valid.begin(), valid.end() - 1), uint8_t(MessageType::kAccessRequest)},
      {"empty", Bytes{}, uint8_t(MessageType::kAccessRequest)},
      {"another type", valid, uint8_t(MessageType::kViewerReady)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    events_.ended.clear();
    ViewerScript script;
    script.rawRequest = c.raw;
    script.requestType = c.type;
    const ViewerOutcome out = connect(script);
    EXPECT_TRUE(out.handshake);
    EXPECT_FALSE(out.reply);
    EXPECT_TRUE(out.channelEnded);
    EXPECT_EQ(events_.ended, std::vector<bool>{false});
    EXPECT_EQ(host_->state(), HostState::kIdle);
  }
  EXPECT_EQ(promptCalls_, 0);
}

TEST_F(HostConnectionTest, AcceptedWithoutAnIdShowsTheNameAndAddsNoRecentEntry) {
  answer_ = {true, true};
  ViewerScript script;
  script.id = "";
  connect(script);
  ASSERT_TRUE(events_.started);
  EXPECT_EQ(events_.started->displayText, "tecnico @ oficina");
  EXPECT_TRUE(recentEntries().empty());
}

TEST_F(HostConnectionTest, ASecondViewerWhileBusyIsDroppedAndTheFirstContinues) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  prompt_ = [released] {
    released.wait();
    return AccessAnswer{true, false};
  };
  SecureChannel first, firstHost;
  test::connectPair(first, firstHost);
  ViewerOutcome firstOut;
  std::thread v([&] { firstOut = runViewer(first, script(Proof::kNone)); });
  host_->offerIncoming(std::make_unique<SecureChannel>(std::move(firstHost)));
  while (promptCalls_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(host_->state(), HostState::kPending);

  SecureChannel second, secondHost;
  test::connectPair(second, secondHost);
  host_->offerIncoming(std::make_unique<SecureChannel>(std::move(secondHost)));
  uint8_t byte = 0;
  EXPECT_FALSE(receiveExactly(second, MutableByteView(&byte, 1)));  // closed, no message
  EXPECT_EQ(host_->state(), HostState::kPending);

  release.set_value();
  v.join();
  ASSERT_TRUE(firstOut.reply);
  EXPECT_TRUE(firstOut.reply->accepted);
}

TEST_F(HostConnectionTest, FailedHandshakeEndsIdle) {
  SecureChannel viewer, hostEnd;
  test::connectPair(viewer, hostEnd);
  std::thread v([&] {
    sendExactly(viewer, asBytes("not a client hello"));
    closeSocket(viewer);
  });
  host_->hostConnectionThread(std::make_unique<SecureChannel>(std::move(hostEnd)));
  v.join();
  EXPECT_EQ(events_.ended, std::vector<bool>{false});
  EXPECT_EQ(host_->state(), HostState::kIdle);
}

}  // namespace
}  // namespace px
