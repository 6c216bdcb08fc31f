#include "app/main_screens.h"

#include <gtest/gtest.h>

#include <optional>

#include "app/screens_fakes.h"
#include "ui/geometry_print.h"

namespace px {
namespace {

using test::FakeScreensServices;
using test::FakeScreensView;

class MainScreensTest : public ::testing::Test {
 protected:
  void logIn(int64_t secondsLeft = 3600, std::string login = "ana", std::string display = "Ana") {
    std::lock_guard lock(account_.lock);
    account_.session.token.fill(0x5A);
    account_.session.expiry = services_.clock + secondsLeft;
    account_.session.loginName = std::move(login);
    account_.session.displayName = std::move(display);
  }
  void type(MainControl edit, std::u16string text) { view_.setEditText(edit, std::move(text)); }
  std::u16string text(MainControl edit) const { return view_.editText(edit); }
  static std::unique_ptr<LoginResult> accepted(std::string login, std::string display,
                                               uint8_t remember, int64_t expiry) {
    auto r = std::make_unique<LoginResult>();
    r->accepted = true;
    r->token.fill(0x33);
    r->expiry = expiry;
    r->loginName = std::move(login);
    r->displayName = std::move(display);
    r->remember = remember;
    return r;
  }
  static std::unique_ptr<LoginResult> refused(std::string error) {
    auto r = std::make_unique<LoginResult>();
    r->error = std::move(error);
    return r;
  }
  LoginState session() {
    std::lock_guard lock(account_.lock);
    return account_.session;
  }
  std::string lastLoginName() {
    std::lock_guard lock(account_.lock);
    return account_.lastLoginName;
  }

  FakeScreensView view_;
  FakeScreensServices services_;
  AccountState account_;
  MainScreens screens_{view_, services_, account_};
};

// --- "Conectar" ---

TEST_F(MainScreensTest, ConnectValidatesTheTypedId) {
  struct Case {
    const char* name;
    std::u16string typed;
    std::string ownId;
    std::string status;
    std::optional<std::string> connectsTo;
  };
  const Case cases[] = {
      {"groups with spaces", u"123 456 789", "987654321", kConnectingStatus, "123456789"},
      {"spaces around", u"  123456789 ", "987654321", kConnectingStatus, "123456789"},
      {"empty", u"", "987654321", kConnectNoIdStatus, std::nullopt},
      {"only spaces", u"   ", "987654321", kConnectNoIdStatus, std::nullopt},
      {"eight digits", u"12345678", "987654321", kConnectBadIdStatus, std::nullopt},
      {"ten digits", u"1234567890", "987654321", kConnectBadIdStatus, std::nullopt},
      {"a letter", u"12345678a", "987654321", kConnectBadIdStatus, std::nullopt},
      {"dashes", u"123-456-789", "987654321", kConnectBadIdStatus, std::nullopt},
      {"full-width digits", u"１２３４５６７８９", "987654321", kConnectBadIdStatus, std::nullopt},
      {"own ID", u"987 654 321", "987654321", kConnectOwnIdStatus, std::nullopt},
      {"no own ID (access-only)", u"987654321", "", kConnectingStatus, "987654321"},
  };
  logIn();
  for (const Case& c : cases) {
    services_.viewers.clear();
    view_.statuses.clear();
    services_.id = c.ownId;
    type(MainControl::kIdEdit, c.typed);
    type(MainControl::kRemotePasswordEdit, u"segredo é");
    EXPECT_TRUE(screens_.command(kConnectCommand)) << c.name;
    EXPECT_EQ(view_.statuses, std::vector<std::string>{c.status}) << c.name;
    if (c.connectsTo) {
      ASSERT_EQ(services_.viewers.size(), 1u) << c.name;
      EXPECT_EQ(services_.viewers[0].first, *c.connectsTo) << c.name;
      EXPECT_EQ(services_.viewers[0].second, "segredo é") << c.name;
    } else {
      EXPECT_TRUE(services_.viewers.empty()) << c.name;
    }
  }
}

TEST_F(MainScreensTest, ConnectIsIgnoredWhileAHostSessionIsPendingOrActive) {
  for (HostState state : {HostState::kPending, HostState::kActive}) {
    for (bool loggedIn : {true, false}) {
      MainScreens screens(view_, services_, account_);
      clearLoginState(account_);
      if (loggedIn) logIn();
      services_.host = state;
      type(MainControl::kIdEdit, u"123456789");
      screens.connect();
      screens.connectToCard("111222333");
      EXPECT_TRUE(view_.statuses.empty());
      EXPECT_TRUE(services_.viewers.empty());
      EXPECT_FALSE(screens.loginShown()) << "not even the login screen";
      EXPECT_EQ(text(MainControl::kIdEdit), u"123456789") << "a card click changes nothing";
    }
  }
}

TEST_F(MainScreensTest, ConnectWithoutAValidLoginOpensTheLoginScreen) {
  struct Case {
    const char* name;
    std::optional<int64_t> secondsLeft;
  };
  const Case cases[] = {{"never logged in", std::nullopt}, {"30 s left", 30}, {"expired", -5}};
  for (const Case& c : cases) {
    FakeScreensView view;
    MainScreens screens(view, services_, account_);
    clearLoginState(account_);
    logIn(3600);
    screens.enterHomeScreen();
    const RectPx home = view.window;
    clearLoginState(account_);
    if (c.secondsLeft) logIn(*c.secondsLeft);
    view.setEditText(MainControl::kIdEdit, u"123456789");
    screens.connect();
    EXPECT_TRUE(screens.loginShown()) << c.name;
    EXPECT_FALSE(screens.homeShown()) << c.name;
    EXPECT_EQ(screens.loginError(), kConnectLoginEndedText) << c.name;
    EXPECT_EQ(view.window.width(), 560) << c.name << " back to the compact size";
    EXPECT_NE(view.window, home) << c.name;
    EXPECT_TRUE(services_.viewers.empty()) << c.name;
  }
}

TEST_F(MainScreensTest, ACardClickConnectsToItsId) {
  logIn();
  type(MainControl::kIdEdit, u"555");
  EXPECT_TRUE(screens_.click(test::clickOf(ClickAction::kConnectToCard, "123456789")));
  EXPECT_EQ(text(MainControl::kIdEdit), u"123456789");
  ASSERT_EQ(services_.viewers.size(), 1u);
  EXPECT_EQ(services_.viewers[0].first, "123456789");
}

TEST_F(MainScreensTest, AnOverlongPasteIsCutToTheEditLimits) {
  logIn();
  type(MainControl::kIdEdit, std::u16string(300, u'1'));
  screens_.connect();
  EXPECT_EQ(view_.lastStatus(), kConnectBadIdStatus);
  // 291 spaces then nine digits: the digits lie past the 255 units the box holds.
  type(MainControl::kIdEdit, std::u16string(291, u' ') + u"123456789");
  screens_.connect();
  EXPECT_EQ(view_.lastStatus(), kConnectNoIdStatus);

  screens_.showLoginScreen("");
  type(MainControl::kLoginEdit, std::u16string(300, u'A'));
  type(MainControl::kLoginPasswordEdit, std::u16string(300, u'p'));
  screens_.submitLogin();
  ASSERT_EQ(services_.logins.size(), 1u);
  EXPECT_EQ(services_.logins[0].login, std::string(64, 'a'));
  EXPECT_EQ(services_.logins[0].password, std::string(128, 'p'));
}

// --- Session controls ---

TEST_F(MainScreensTest, SessionControlsFollowTheHostState) {
  struct Case {
    HostState state;
    bool chatOpen;
    bool connectShown, connectEnabled, disconnectShown, chatShown, readOnly;
    int enterCommand;
  };
  const Case cases[] = {
      {HostState::kIdle, false, true, true, false, false, false, kConnectCommand},
      {HostState::kPending, false, true, false, false, false, false, kConnectCommand},
      {HostState::kActive, false, false, false, true, false, true, 0},
      {HostState::kActive, true, false, false, true, true, true, 0},
  };
  logIn();
  screens_.enterHomeScreen();
  for (const Case& c : cases) {
    const int state = int(c.state);
    services_.host = c.state;
    view_.chatOpen = c.chatOpen;
    screens_.refreshSessionControls();
    const MainControlsPlacement& p = view_.controls;
    EXPECT_EQ(p[MainControl::kConnect].shown, c.connectShown) << state;
    EXPECT_EQ(p[MainControl::kConnect].enabled, c.connectEnabled) << state;
    EXPECT_EQ(p[MainControl::kDisconnect].shown, c.disconnectShown) << state;
    EXPECT_EQ(p[MainControl::kChat].shown, c.chatShown) << state;
    EXPECT_EQ(p[MainControl::kIdEdit].readOnly, c.readOnly) << state;
    EXPECT_EQ(p[MainControl::kRemotePasswordEdit].readOnly, c.readOnly) << state;
    for (MainControl edit : {MainControl::kIdEdit, MainControl::kRemotePasswordEdit}) {
      EXPECT_EQ(screens_.editKey(edit, EditKey::kEnter).command, c.enterCommand) << state;
    }
  }
}

TEST_F(MainScreensTest, AMinimisedWindowKeepsItsControlsWhereTheyWere) {
  logIn();
  screens_.enterHomeScreen();
  view_.window = {-32000, -32000, -32000, -32000};
  services_.host = HostState::kActive;
  screens_.refreshSessionControls();
  EXPECT_FALSE(view_.shown(MainControl::kConnect));
  EXPECT_EQ(view_.controls[MainControl::kDisconnect].rect, (RectF{768, 70, 886, 106}));
  EXPECT_EQ(view_.controls[MainControl::kIdEdit].rect, (RectF{42, 78, 754, 98}));
}

TEST_F(MainScreensTest, EnterDuringAPendingSessionReachesConnectWhichIgnoresIt) {
  logIn();
  screens_.enterHomeScreen();
  services_.host = HostState::kPending;
  type(MainControl::kIdEdit, u"123456789");
  const EditKeyAction enter = screens_.editKey(MainControl::kIdEdit, EditKey::kEnter);
  EXPECT_TRUE(screens_.command(enter.command));
  EXPECT_TRUE(services_.viewers.empty());
  EXPECT_TRUE(view_.statuses.empty());
}

// --- Home screen and window ---

TEST_F(MainScreensTest, HomeScreenComesBackAt920By700WhereItWas) {
  for (int dpi : {96, 120, 144}) {
    FakeScreensView view(dpi);
    view.workArea = {0, 0, 2560, 1400};  // room for the home screen at every DPI here
    view.window = {500, 300, 500 + view.window.width(), 300 + view.window.height()};
    const RectPx compact = view.window;
    MainScreens screens(view, services_, account_);
    logIn();
    screens.enterHomeScreen();
    const RectPx home = view.window;
    EXPECT_EQ(view.clientSize(), (SizeF{920, 700})) << dpi;
    EXPECT_EQ(home.left + home.right, compact.left + compact.right) << dpi << " same centre";
    EXPECT_EQ(home.top + home.bottom, compact.top + compact.bottom) << dpi;
    screens.logout();
    EXPECT_EQ(view.window, compact) << dpi;
    logIn();
    screens.enterHomeScreen();
    EXPECT_EQ(view.window, home) << dpi;
  }
}

TEST_F(MainScreensTest, EnteringTheHomeScreenKeepsTheWindowInTheWorkArea) {
  view_.window = {10, 900, 570, 1200};  // partly below the work area
  logIn();
  screens_.enterHomeScreen();
  EXPECT_EQ(view_.window, (RectPx{0, 340, 920, 1040}));
}

TEST_F(MainScreensTest, LeavingAMaximisedHomeScreenRestoresItFirst) {
  logIn();
  screens_.enterHomeScreen();
  const RectPx home = view_.window;
  view_.maximise();
  screens_.logout();
  EXPECT_FALSE(view_.maximised);
  EXPECT_EQ(view_.clientSize(), (SizeF{560, 300}));
  EXPECT_EQ(view_.window.left + view_.window.right, home.left + home.right);
}

TEST_F(MainScreensTest, EnteringTheHomeScreenShowsItsControlsAndFocusesTheId) {
  logIn();
  view_.focused = MainControl::kLoginEdit;
  screens_.enterHomeScreen();
  EXPECT_TRUE(screens_.homeShown());
  EXPECT_TRUE(view_.hoverCleared);
  EXPECT_EQ(view_.focused, MainControl::kIdEdit);
  for (MainControl c : {MainControl::kIdEdit, MainControl::kConnect, MainControl::kRemotePasswordEdit,
                        MainControl::kNewPasswordEdit, MainControl::kSavePassword}) {
    EXPECT_TRUE(view_.shown(c)) << int(c);
  }
  // Entering again (the "Acessar" path is gone, but a second call must not move the window).
  view_.window.left += 5, view_.window.right += 5;
  const RectPx moved = view_.window;
  screens_.enterHomeScreen();
  EXPECT_EQ(view_.window, moved);
}

TEST_F(MainScreensTest, AutoConnectTargetWaitsForTheLoginAndIsUsedOnce) {
  screens_.setAutoConnectTarget("123456789");
  screens_.enterHomeScreen();
  EXPECT_TRUE(screens_.loginShown());
  EXPECT_FALSE(screens_.homeShown());
  EXPECT_TRUE(view_.posted.empty());
  EXPECT_EQ(screens_.autoConnectTarget(), "123456789");

  type(MainControl::kLoginEdit, u"ana");
  type(MainControl::kLoginPasswordEdit, u"senha");
  screens_.submitLogin();
  screens_.loginFinished(accepted("ana", "Ana", 1, services_.clock + 3600));
  EXPECT_TRUE(screens_.homeShown());
  EXPECT_EQ(text(MainControl::kIdEdit), u"123456789");
  EXPECT_EQ(view_.posted, std::vector<int>{kConnectCommand});
  EXPECT_TRUE(screens_.autoConnectTarget().empty());
  screens_.command(view_.posted[0]);
  ASSERT_EQ(services_.viewers.size(), 1u);
  EXPECT_EQ(services_.viewers[0].first, "123456789");

  screens_.logout();
  logIn();
  screens_.enterHomeScreen();
  EXPECT_EQ(view_.posted.size(), 1u) << "consumed once";
}

TEST_F(MainScreensTest, AutoConnectStartsAtOnceWithASavedLogin) {
  logIn();
  screens_.setAutoConnectTarget("123456789");
  screens_.enterHomeScreen();
  EXPECT_EQ(view_.posted, std::vector<int>{kConnectCommand});
}

// --- Login screen ---

TEST_F(MainScreensTest, LoginScreenPrefillsTheLastLoginAndPicksTheFocus) {
  struct Case {
    std::string last;
    std::u16string typed;
    std::u16string shown;
    MainControl focus;
  };
  const Case cases[] = {
      {"", u"", u"", MainControl::kLoginEdit},
      {"joão", u"", u"joão", MainControl::kLoginPasswordEdit},
      {"joão", u"maria", u"maria", MainControl::kLoginPasswordEdit},
  };
  for (const Case& c : cases) {
    {
      std::lock_guard lock(account_.lock);
      account_.lastLoginName = c.last;
    }
    type(MainControl::kLoginEdit, c.typed);
    screens_.showLoginScreen("mensagem");
    EXPECT_EQ(text(MainControl::kLoginEdit), c.shown);
    EXPECT_EQ(view_.focused, c.focus);
    EXPECT_EQ(screens_.loginError(), "mensagem");
    EXPECT_TRUE(view_.shown(MainControl::kLoginEdit));
    EXPECT_TRUE(view_.shown(MainControl::kLoginPasswordEdit));
    EXPECT_FALSE(view_.shown(MainControl::kIdEdit));
  }
}

TEST_F(MainScreensTest, LoginSubmitValidatesAndCleansTheLogin) {
  struct Case {
    std::u16string login, password;
    std::string error;
    std::string sentLogin;
    MainControl focus;
  };
  const Case cases[] = {
      {u"Ana.Silva", u"pw", "", "ana.silva", MainControl::kLoginEdit},
      {u" ana silva ", u"pw", "", "anasilva", MainControl::kLoginEdit},
      {u"ÁLVARO", u"pw", "", "álvaro", MainControl::kLoginEdit},
      {u"", u"pw", kLoginFieldsMissingText, "", MainControl::kLoginEdit},
      {u"   ", u"pw", kLoginFieldsMissingText, "", MainControl::kLoginEdit},
      {u"ana", u"", kLoginFieldsMissingText, "", MainControl::kLoginPasswordEdit},
      {u"", u"", kLoginFieldsMissingText, "", MainControl::kLoginEdit},
  };
  for (const Case& c : cases) {
    MainScreens screens(view_, services_, account_);
    services_.logins.clear();
    screens.showLoginScreen("antes");
    type(MainControl::kLoginEdit, c.login);
    type(MainControl::kLoginPasswordEdit, c.password);
    view_.focused = MainControl::kIdEdit;
    screens.command(kLoginCommand);
    EXPECT_EQ(screens.loginError(), c.error) << c.sentLogin;
    if (c.error.empty()) {
      ASSERT_EQ(services_.logins.size(), 1u);
      EXPECT_EQ(services_.logins[0].login, c.sentLogin);
      EXPECT_EQ(services_.logins[0].password, "pw");
      EXPECT_TRUE(screens.loginInProgress());
    } else {
      EXPECT_TRUE(services_.logins.empty());
      EXPECT_FALSE(screens.loginInProgress());
      EXPECT_EQ(view_.focused, c.focus);
    }
  }
}

TEST_F(MainScreensTest, OnlyOneLoginRunsAndOnlyFromTheLoginScreen) {
  type(MainControl::kLoginEdit, u"ana");
  type(MainControl::kLoginPasswordEdit, u"pw");
  screens_.submitLogin();
  EXPECT_TRUE(services_.logins.empty()) << "login screen not open";
  screens_.showLoginScreen("");
  screens_.submitLogin();
  screens_.submitLogin();
  EXPECT_EQ(services_.logins.size(), 1u);
}

TEST_F(MainScreensTest, RememberIsSentAsChosen) {
  EXPECT_TRUE(screens_.rememberLogin());
  screens_.showLoginScreen("");
  for (uint8_t expected : {0, 1}) {
    EXPECT_TRUE(screens_.click(test::clickOf(ClickAction::kToggleRememberLogin)));
    type(MainControl::kLoginEdit, u"ana");
    type(MainControl::kLoginPasswordEdit, u"pw");
    screens_.submitLogin();
    ASSERT_FALSE(services_.logins.empty());
    EXPECT_EQ(services_.logins.back().remember, expected);
    screens_.loginFinished(refused("x"));
  }
}

TEST_F(MainScreensTest, AcceptedLoginIsKeptOrForgottenAndOpensTheHomeScreen) {
  struct Case {
    uint8_t remember;
    std::string display;
    std::string status;
    std::vector<std::string> stores;
  };
  const Case cases[] = {
      {1, "Ana Lima", "Conectado como Ana Lima", {"save ana", "favourites ana"}},
      {0, "Ana Lima", "Conectado como Ana Lima", {"forget", "favourites ana"}},
      {1, "", "Conectado como ana", {"save ana", "favourites ana"}},
  };
  for (const Case& c : cases) {
    FakeScreensView view;
    FakeScreensServices services;
    AccountState account;
    MainScreens screens(view, services, account);
    screens.showLoginScreen("");
    view.setEditText(MainControl::kLoginEdit, u"ana");
    view.setEditText(MainControl::kLoginPasswordEdit, u"pw");
    screens.submitLogin();
    screens.loginFinished(accepted("ana", c.display, c.remember, services.clock + 3600));
    EXPECT_FALSE(screens.loginInProgress());
    EXPECT_TRUE(screens.homeShown());
    EXPECT_FALSE(screens.loginShown());
    EXPECT_EQ(services.stores, c.stores);
    EXPECT_EQ(view.statuses, std::vector<std::string>{c.status});
    EXPECT_EQ(view.editText(MainControl::kLoginPasswordEdit), u"");
    EXPECT_TRUE(screens.loginError().empty());
    EXPECT_FALSE(view.shown(MainControl::kLoginEdit));
    std::lock_guard lock(account.lock);
    EXPECT_EQ(account.session.loginName, "ana");
    EXPECT_EQ(account.session.displayName, c.display);
    EXPECT_EQ(account.session.expiry, services.clock + 3600);
    EXPECT_EQ(account.session.token[0], 0x33);
    EXPECT_EQ(account.lastLoginName, "ana");
  }
}

TEST_F(MainScreensTest, RefusedLoginShowsItsTextAndKeepsTheScreen) {
  const char* texts[] = {"Login ou senha incorretos",
                         "Conta bloqueada por senhas erradas. Tente de novo em alguns minutos.",
                         "Erro: servidor relay nao respondeu"};
  for (const char* error : texts) {
    screens_.showLoginScreen("");
    type(MainControl::kLoginEdit, u"ana");
    type(MainControl::kLoginPasswordEdit, u"errada");
    screens_.submitLogin();
    view_.focused = MainControl::kLoginEdit;
    screens_.loginFinished(refused(error));
    EXPECT_EQ(screens_.loginError(), error);
    EXPECT_FALSE(screens_.loginInProgress());
    EXPECT_TRUE(screens_.loginShown());
    EXPECT_FALSE(screens_.homeShown());
    EXPECT_EQ(text(MainControl::kLoginPasswordEdit), u"");
    EXPECT_EQ(text(MainControl::kLoginEdit), u"ana");
    EXPECT_EQ(view_.focused, MainControl::kLoginPasswordEdit);
    EXPECT_TRUE(services_.stores.empty());
  }
}

TEST_F(MainScreensTest, LeavingTheLoginScreenWhileALoginRunsKeepsEverythingUsable) {
  screens_.showLoginScreen("");
  type(MainControl::kLoginEdit, u"ana");
  type(MainControl::kLoginPasswordEdit, u"pw");
  screens_.submitLogin();
  EXPECT_TRUE(screens_.click(test::clickOf(ClickAction::kLeaveLoginScreen)));
  EXPECT_FALSE(screens_.loginShown());
  EXPECT_EQ(text(MainControl::kLoginPasswordEdit), u"");
  EXPECT_FALSE(view_.shown(MainControl::kLoginEdit));
  // "Acessar" opens the screen again; Enter there starts nothing while the first login runs.
  EXPECT_TRUE(screens_.click(test::clickOf(ClickAction::kEnterHomeScreen)));
  EXPECT_TRUE(screens_.loginShown());
  type(MainControl::kLoginPasswordEdit, u"pw");
  screens_.submitLogin();
  EXPECT_EQ(services_.logins.size(), 1u);
  // A failure reaching a closed screen leaves the focus alone.
  screens_.click(test::clickOf(ClickAction::kLeaveLoginScreen));
  view_.focused = MainControl::kIdEdit;
  screens_.loginFinished(refused("Erro: servidor relay nao respondeu"));
  EXPECT_EQ(view_.focused, MainControl::kIdEdit);
  EXPECT_FALSE(screens_.loginInProgress());
}

// --- Logout and expiry ---

TEST_F(MainScreensTest, LogoutForgetsTheLoginAndKeepsItsNameForTheNextTime) {
  logIn(3600, "ana", "Ana");
  screens_.enterHomeScreen();
  type(MainControl::kIdEdit, u"123456789");
  type(MainControl::kRemotePasswordEdit, u"x");
  type(MainControl::kLoginEdit, u"");
  EXPECT_TRUE(screens_.click(test::clickOf(ClickAction::kLogout)));
  ASSERT_EQ(services_.logouts.size(), 1u);
  EXPECT_EQ(services_.logouts[0][0], 0x5A) << "the token as it was before clearing";
  EXPECT_EQ(services_.stores, (std::vector<std::string>{"forget", "clear favourites"}));
  EXPECT_EQ(session().expiry, 0);
  EXPECT_EQ(session().token, SessionToken{});
  EXPECT_TRUE(session().loginName.empty());
  EXPECT_EQ(lastLoginName(), "ana");
  EXPECT_FALSE(screens_.homeShown());
  EXPECT_FALSE(screens_.loginShown());
  EXPECT_EQ(text(MainControl::kIdEdit), u"");
  EXPECT_EQ(text(MainControl::kRemotePasswordEdit), u"");
  EXPECT_EQ(view_.lastStatus(), kLoggedOutStatus);
  for (MainControl c : kAllMainControls) EXPECT_FALSE(view_.shown(c)) << int(c);

  screens_.click(test::clickOf(ClickAction::kEnterHomeScreen));
  EXPECT_TRUE(screens_.loginShown());
  EXPECT_EQ(text(MainControl::kLoginEdit), u"ana");
}

TEST_F(MainScreensTest, OtherClicksAndCommandsAreNotTheScreens) {
  EXPECT_FALSE(screens_.command(kDisconnectCommand));
  EXPECT_FALSE(screens_.command(kSavePasswordCommand));
  EXPECT_FALSE(screens_.click(test::clickOf(ClickAction::kCopyId)));
  EXPECT_FALSE(screens_.click(test::clickOf(ClickAction::kRemovePassword)));
}

// --- The password screen ---

TEST_F(MainScreensTest, PasswordScreenOpensEmptyOverTheCompactViewOnly) {
  type(MainControl::kNewPasswordEdit, u"left over");
  EXPECT_TRUE(screens_.click(test::clickOf(ClickAction::kOpenPasswordScreen)));
  EXPECT_TRUE(screens_.passwordScreenShown());
  EXPECT_EQ(text(MainControl::kNewPasswordEdit), u"");
  EXPECT_TRUE(view_.shown(MainControl::kRepeatPasswordEdit));
  EXPECT_EQ(view_.focused, MainControl::kNewPasswordEdit);
  EXPECT_TRUE(screens_.click(test::clickOf(ClickAction::kClosePasswordScreen)));
  EXPECT_FALSE(screens_.passwordScreenShown());
  EXPECT_FALSE(view_.shown(MainControl::kRepeatPasswordEdit));

  logIn();
  screens_.enterHomeScreen();
  screens_.openPasswordScreen();
  EXPECT_FALSE(screens_.passwordScreenShown());
}

TEST_F(MainScreensTest, PasswordOutcomesSetTheErrorStatusAndScreen) {
  screens_.openPasswordScreen();
  type(MainControl::kNewPasswordEdit, u"abc");
  screens_.applyPasswordOutcome({kPasswordMismatchError, "", false, false});
  EXPECT_EQ(screens_.passwordError(), kPasswordMismatchError);
  EXPECT_TRUE(screens_.passwordScreenShown());
  EXPECT_EQ(text(MainControl::kNewPasswordEdit), u"abc");

  screens_.applyPasswordOutcome({"", kPasswordSetStatus, true, true});
  EXPECT_EQ(screens_.passwordError(), "");
  EXPECT_EQ(view_.lastStatus(), kPasswordSetStatus);
  EXPECT_FALSE(screens_.passwordScreenShown());
  EXPECT_EQ(text(MainControl::kNewPasswordEdit), u"");
}

}  // namespace
}  // namespace px
