#include "app/main_window_messages.h"

#include <gtest/gtest.h>

#include "app/posted_messages.h"
#include "app/shell_fakes.h"
#include "app/worker_reports.h"

namespace px {
namespace {

using Calls = std::vector<std::string>;

// Workers report through WorkerReports; the "message loop" hands every post to the window's
// handler, as the real one does.
class ShellMessagesTest : public ::testing::Test {
 protected:
  void deliverAll() {
    for (const test::PostedCall& p : poster_.posts) {
      EXPECT_TRUE(messages_.handle(p.message, p.wParam, p.lParam)) << std::hex << p.message;
    }
    poster_.posts.clear();
  }

  test::RecordingPoster poster_;
  WorkerReports reports_{poster_};
  test::FakeHost host_;
  test::RecordingView view_;
  MainWindowMessages messages_{host_, view_};
};

TEST_F(ShellMessagesTest, ArrivingViewerReachesTheHostSide) {
  reports_.viewerArrived(std::make_unique<SecureChannel>());
  deliverAll();
  ASSERT_EQ(host_.offered.size(), 1u);
  EXPECT_NE(host_.offered[0], nullptr);
  EXPECT_EQ(view_.calls, Calls{"refresh"});
}

TEST_F(ShellMessagesTest, AdmittedViewerStartsTheSessionWithItsName) {
  reports_.sessionStarted({std::make_unique<SecureChannel>(), true, "Ana (ID 123456789)"});
  deliverAll();
  EXPECT_EQ(host_.started, std::vector<std::string>{"Ana (ID 123456789)"});
  EXPECT_EQ(view_.calls, (Calls{"refresh", "starting Ana (ID 123456789)"}));
}

struct EndCase {
  const char* name;
  HostState state;
  bool refused;
  Calls expected;
};

TEST_F(ShellMessagesTest, SessionEndKeepsARunningHostSessionAndARefusalText) {
  const EndCase cases[] = {
      {"normal end", HostState::kIdle, false, {"gone", "refresh", "status Pronto. Aguardando conexão..."}},
      {"refusal keeps its text", HostState::kIdle, true, {"gone", "refresh"}},
      // A viewer session ending while this computer is being helped leaves the host chat alone.
      {"viewer end during a host session", HostState::kActive, false,
       {"refresh", "status Pronto. Aguardando conexão..."}},
  };
  for (const EndCase& c : cases) {
    view_.calls.clear();
    host_.hostState = c.state;
    reports_.sessionEnded(c.refused);
    deliverAll();
    EXPECT_EQ(view_.calls, c.expected) << c.name;
  }
}

TEST_F(ShellMessagesTest, ChatReachesTheWindowOnlyDuringAHostSession) {
  struct {
    HostState state;
    std::string text;
    Calls expected;
  } cases[] = {
      {HostState::kActive, "ola", {"chat ola", "refresh"}},
      {HostState::kPending, "ola", {"refresh"}},
      {HostState::kActive, "", {"refresh"}},
      {HostState::kActive, " \t\r\n", {"refresh"}},
      {HostState::kActive, "\tola\nmundo ", {"chat ola mundo", "refresh"}},
  };
  for (auto& c : cases) {
    view_.calls.clear();
    host_.hostState = c.state;
    reports_.chatText(c.text);
    deliverAll();
    EXPECT_EQ(view_.calls, c.expected) << int(c.state) << " '" << c.text << "'";
  }
}

TEST_F(ShellMessagesTest, ExpiredLoginShowsTheLoginScreenUnlessHelpingSomeone) {
  reports_.loginExpired();
  deliverAll();
  EXPECT_EQ(view_.calls,
            (Calls{"clear-login", "login-screen Seu login venceu ou foi encerrado. Entre de novo."}));
  view_.calls.clear();
  host_.hostState = HostState::kActive;
  reports_.loginExpired();
  deliverAll();
  EXPECT_EQ(view_.calls, Calls{"clear-login"});
}

TEST_F(ShellMessagesTest, LoginResultAndRepaintsAreDelivered) {
  auto result = std::make_unique<LoginResult>();
  result->loginName = "tecnico";
  EXPECT_TRUE(reports_.loginFinished(std::move(result)));
  reports_.relayStatusChanged();
  reports_.recentsChanged();
  deliverAll();
  EXPECT_EQ(view_.calls, (Calls{"login tecnico", "repaint", "repaint"}));
}

TEST_F(ShellMessagesTest, ChatSendAndForeignMessagesAreLeftToDefaultProcessing) {
  for (uint32_t message : {WM_APP_CHAT_SEND, uint32_t(0x8000), uint32_t(0x800A), uint32_t(0x0010)}) {
    EXPECT_FALSE(messages_.handle(message, 0, 0)) << std::hex << message;
  }
  EXPECT_TRUE(view_.calls.empty());
}

// Reports after the main window is gone must free their records (LeakSanitizer checks) and
// tell the login worker that nothing was delivered.
TEST_F(ShellMessagesTest, ReportsAfterTheWindowIsGoneFreeTheirRecords) {
  poster_.accept = false;
  reports_.viewerArrived(std::make_unique<SecureChannel>());
  reports_.sessionStarted({std::make_unique<SecureChannel>(), false, "Ana"});
  reports_.chatText("ola");
  EXPECT_FALSE(reports_.loginFinished(std::make_unique<LoginResult>()));
  reports_.sessionEnded(false);
  EXPECT_TRUE(poster_.posts.empty());
}

}  // namespace
}  // namespace px
