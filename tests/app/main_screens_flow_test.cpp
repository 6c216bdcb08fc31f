// The screens driven the way the program drives them: workers report through WorkerReports, the
// posted messages go through MainWindowMessages, and the window hands the login messages to the
// screens.
#include <gtest/gtest.h>

#include <thread>

#include "app/main_screens.h"
#include "app/main_window_messages.h"
#include "app/screens_fakes.h"
#include "app/shell_fakes.h"
#include "app/worker_reports.h"
#include "relay/fake_relay.h"

namespace px {
namespace {

// The main window's message side as the Win32 window implements it: the login messages belong
// to the screens.
class ScreensMessageView final : public MainWindowView {
 public:
  explicit ScreensMessageView(MainScreens& screens) : screens_(screens) {}
  void refreshSessionControls() override { screens_.refreshSessionControls(); }
  void repaint() override {}
  void setStatus(const std::string&) override {}
  void hostSessionStarting(const std::string&) override {}
  void hostSessionGone() override {}
  void hostChatReceived(const std::u16string&) override {}
  void loginFinished(std::unique_ptr<LoginResult> result) override {
    screens_.loginFinished(std::move(result));
  }
  void clearLogin() override { screens_.clearLocalLogin(); }
  void showLoginScreen(const std::string& message) override { screens_.showLoginScreen(message); }

 private:
  MainScreens& screens_;
};

class MainScreensFlowTest : public ::testing::Test {
 protected:
  void TearDown() override { setRelayConfig(builtInRelayConfig()); }
  void logIn() {
    std::lock_guard lock(account_.lock);
    account_.session.token.fill(1);
    account_.session.expiry = services_.clock + 3600;
    account_.session.loginName = "ana";
  }
  // The message loop: every post reaches the window's handler, which owns its record.
  void deliverAll(MainWindowMessages& messages) {
    for (const test::PostedCall& p : poster_.posts) messages.handle(p.message, p.wParam, p.lParam);
    poster_.posts.clear();
  }

  test::FakeScreensView view_;
  test::FakeScreensServices services_;
  AccountState account_;
  test::RecordingPoster poster_;
  WorkerReports reports_{poster_};
  test::FakeHost host_;
};

TEST_F(MainScreensFlowTest, ExpiredLoginOpensTheLoginScreenUnlessThisComputerIsBeingHelped) {
  struct Case {
    HostState state;
    bool loginScreen, home;
  };
  const Case cases[] = {{HostState::kIdle, true, false},
                        {HostState::kPending, true, false},
                        {HostState::kActive, false, true}};
  for (const Case& c : cases) {
    MainScreens screens(view_, services_, account_);
    ScreensMessageView windowView(screens);
    MainWindowMessages messages(host_, windowView);
    logIn();
    screens.enterHomeScreen();
    host_.hostState = c.state;
    services_.stores.clear();
    reports_.loginExpired();
    deliverAll(messages);
    EXPECT_EQ(screens.loginShown(), c.loginScreen) << int(c.state);
    EXPECT_EQ(screens.homeShown(), c.home) << int(c.state);
    if (c.loginScreen) {
      EXPECT_EQ(screens.loginError(), kLoginExpiredText);
    }
    EXPECT_EQ(services_.stores, (std::vector<std::string>{"forget", "clear favourites"}));
    EXPECT_FALSE(screens.loggedIn()) << "the login is gone either way";
  }
}

// The relay takes the connection and closes it without a word: the login ends with the relay's
// failure text, and until then the screen stays usable and starts no second login.
TEST_F(MainScreensFlowTest, LoginThatNeverAnswersEndsWithTheRelayFailureText) {
  test::FakeRelay relay;
  relay.configureClient();
  relay.serve([](NativeSocket s) { test::FakeRelay::receive(s, kOpeningSize); });
  std::vector<std::thread> workers;
  struct ThreadedServices final : MainScreensServices {
    ThreadedServices(test::FakeScreensServices& inner, WorkerReports& reports,
                     std::vector<std::thread>& threads)
        : inner(inner), reports(reports), threads(threads) {}
    HostState hostState() const override { return inner.hostState(); }
    std::string ownId() const override { return inner.ownId(); }
    int64_t now() const override { return inner.now(); }
    void startLogin(LoginThreadRequest r) override {
      inner.logins.push_back(r);
      threads.emplace_back(loginWorker, r.login, r.password, r.remember,
                           [this](std::unique_ptr<LoginResult> result) {
                             return reports.loginFinished(std::move(result));
                           });
    }
    void startLogout(const SessionToken& t) override { inner.startLogout(t); }
    void startViewerSession(const std::string& id, std::string p) override {
      inner.startViewerSession(id, std::move(p));
    }
    void saveLogin(const LoginResult& r) override { inner.saveLogin(r); }
    void forgetSavedLogin() override { inner.forgetSavedLogin(); }
    void loadFavourites(const std::string& l) override { inner.loadFavourites(l); }
    void clearFavourites() override { inner.clearFavourites(); }
    test::FakeScreensServices& inner;
    WorkerReports& reports;
    std::vector<std::thread>& threads;
  } services(services_, reports_, workers);
  MainScreens screens(view_, services, account_);
  ScreensMessageView windowView(screens);
  MainWindowMessages messages(host_, windowView);

  screens.showLoginScreen("");
  view_.setEditText(MainControl::kLoginEdit, u"ana");
  view_.setEditText(MainControl::kLoginPasswordEdit, u"senha");
  screens.command(kLoginCommand);
  screens.command(kLoginCommand);
  EXPECT_TRUE(screens.loginInProgress());
  screens.click(test::clickOf(ClickAction::kLeaveLoginScreen));
  screens.click(test::clickOf(ClickAction::kEnterHomeScreen));
  EXPECT_TRUE(screens.loginShown());
  for (std::thread& t : workers) t.join();
  relay.join();
  EXPECT_EQ(services_.logins.size(), 1u);
  ASSERT_EQ(poster_.posts.size(), 1u);
  deliverAll(messages);
  EXPECT_FALSE(screens.loginInProgress());
  EXPECT_EQ(screens.loginError(), "Erro: servidor relay nao respondeu");
  EXPECT_FALSE(screens.homeShown());
  view_.setEditText(MainControl::kLoginPasswordEdit, u"senha");
  relay.serve([](NativeSocket s) { test::FakeRelay::receive(s, kOpeningSize); });
  screens.command(kLoginCommand);
  EXPECT_EQ(services_.logins.size(), 2u) << "a new attempt is possible";
  for (std::thread& t : workers) {
    if (t.joinable()) t.join();
  }
  relay.join();
  deliverAll(messages);
}

}  // namespace
}  // namespace px
