// The shell's viewer sessions: a relay that says the login expired, a relay that never answers
// (stopped at exit without a hang), reaping, and when the last session's end shows the ready
// text.
#include "app/viewer_sessions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/posted_messages.h"
#include "app/shell_fakes.h"
#include "app/shell_viewer_ui.h"
#include "net/tcp_socket.h"
#include "ui/status_line.h"

namespace px {
namespace {

using namespace std::chrono_literals;

TunnelOpener expiredLogin() {
  return [](const std::string&, SecureChannel&, PublicKey64&, TunnelFailure& failure) {
    failure.error = "Seu login venceu";
    failure.loginRequired = true;
    return false;
  };
}

// A relay that accepts the connection and never says a word: the tunnel request blocks in its
// receive until the connection is closed.
class SilentRelay {
 public:
  SilentRelay() { listener_ = tcpListenLoopback(port_); }
  ~SilentRelay() {
    for (NativeSocket s : accepted_) socketShutdownAndClose(s);
    socketShutdownAndClose(listener_);
  }
  TunnelOpener tunnel() {
    return [this](const std::string&, SecureChannel& channel, PublicKey64&, TunnelFailure& f) {
      if (!connectTcp(channel, "127.0.0.1", port_)) return false;
      accepted_.push_back(tcpAccept(listener_));
      RecordHeader header;
      Bytes payload;
      receiveRecord(channel, header, payload);
      f.error = "Erro: conexao perdida";
      return false;
    };
  }

 private:
  uint16_t port_ = 0;
  NativeSocket listener_ = kInvalidSocket;
  std::vector<NativeSocket> accepted_;
};

bool waitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 1000 && !done(); ++i) std::this_thread::sleep_for(10ms);
  return done();
}

struct ShellFixture {
  test::RecordingPoster poster;
  WorkerReports reports{poster};
  std::atomic<bool> appRunning{true};
  HostState hostState = HostState::kIdle;

  ViewerSessions::UiFactory uiFactory(const ViewerSessions* sessions) {
    return [this, sessions](ViewerSession&) {
      ShellViewerLinks links;
      links.reports = &reports;
      links.sessions = sessions;
      links.appRunning = &appRunning;
      links.hostState = [this] { return hostState; };
      return std::make_unique<ShellViewerUi>(links);
    };
  }
};

TEST(ViewerSessions, ExpiredLoginPostsItsMessageAndKeepsTheText) {
  ShellFixture shell;
  ViewerSessions sessions(shell.uiFactory(nullptr), expiredLogin());
  sessions.start("123456789", "segredo");
  ASSERT_TRUE(waitFor([&] {
    sessions.reap();
    return sessions.size() == 0;
  }));
  ASSERT_EQ(shell.poster.posts.size(), 1u);
  EXPECT_EQ(shell.poster.posts[0].message, WM_APP_LOGIN_EXPIRED);
  EXPECT_EQ(statusText(), "Seu login venceu");
}

TEST(ViewerSessions, StopAllEndsSessionsBlockedOnASilentRelay) {
  ShellFixture shell;
  SilentRelay relay;
  ViewerSessions sessions(shell.uiFactory(nullptr), relay.tunnel());
  sessions.start("111111111", {});
  sessions.start("222222222", {});
  ASSERT_TRUE(waitFor([&] { return statusText() == "Conectando via relay..."; }));
  EXPECT_EQ(sessions.size(), 2u);
  int windowsClosed = 0;
  sessions.stopAll([&](ViewerSession&) { ++windowsClosed; });
  EXPECT_EQ(sessions.size(), 0u);
  EXPECT_EQ(windowsClosed, 2);
  EXPECT_TRUE(shell.poster.posts.empty());
}

TEST(ViewerSessions, LastSessionEndShowsTheReadyTextOnlyWhenNothingElseRuns) {
  struct Case {
    HostState host;
    bool otherLive;
    bool posted;
  };
  const Case cases[] = {
      {HostState::kIdle, false, true},
      {HostState::kIdle, true, false},
      {HostState::kActive, false, false},
      {HostState::kPending, false, false},
  };
  for (const Case& c : cases) {
    ShellFixture shell;
    shell.hostState = c.host;
    SilentRelay relay;
    ViewerSessions sessions(shell.uiFactory(nullptr), relay.tunnel());
    if (c.otherLive) sessions.start("111111111", {});
    ShellViewerLinks links;
    links.reports = &shell.reports;
    links.sessions = &sessions;
    links.hostState = [&] { return c.host; };
    ShellViewerUi ui(links);
    ViewerSession ending("222222222");
    ui.sessionEnded(ending);
    EXPECT_EQ(!shell.poster.posts.empty(), c.posted) << int(c.host) << " " << c.otherLive;
    if (c.posted) {
      EXPECT_EQ(shell.poster.posts[0].message, WM_APP_SESSION_ENDED);
      EXPECT_EQ(shell.poster.posts[0].wParam, 0u);
    }
    sessions.stopAll({});
  }
}

}  // namespace
}  // namespace px
