#include "app/main_screens.h"

#include <mutex>

#include "app/edit_text.h"
#include "base/bytes.h"
#include "ui/window_placement.h"
#include "viewer/utf16_text.h"

namespace px {
namespace {

constexpr size_t kIdLength = 9;

bool nineDigits(const std::string& id) {
  if (id.size() != kIdLength) return false;
  for (char c : id) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::string MainScreens::accountName() const {
  std::lock_guard lock(account_.lock);
  const LoginState& s = account_.session;
  return s.displayName.empty() ? s.loginName : s.displayName;
}

bool MainScreens::loggedIn() const {
  std::lock_guard lock(account_.lock);
  return loggedInWithSpare(account_.session, services_.now());
}

MainControlsPlacement MainScreens::controls() const {
  // A minimised window has no client area; the controls keep the places they had.
  const SizeF client = view_.clientSize();
  if (client.width > 0 && client.height > 0) lastClient_ = client;
  MainControlsInput in;
  in.client = lastClient_;
  in.homeShown = homeShown_;
  in.loginShown = loginShown_;
  in.passwordScreenShown = passwordScreenShown_;
  const HostState host = services_.hostState();
  in.hostIdle = host == HostState::kIdle;
  in.hostActive = host == HostState::kActive;
  in.chatWindowOpen = view_.hostChatWindowOpen();
  return placeMainControls(in);
}

void MainScreens::placeControls() { view_.applyControls(controls()); }

void MainScreens::moveWindowFor(bool toHome) {
  WindowFrame frame = view_.windowFrame();
  if (frame.maximised) {
    view_.restoreWindow();
    frame = view_.windowFrame();
  }
  view_.moveWindow(layoutSwitchRect(toHome, frame.window, frame.workArea, frame.dpi));
}

void MainScreens::enterHomeScreen() {
  if (!loggedIn()) {
    showLoginScreen("");
    return;
  }
  loginShown_ = false;
  passwordScreenShown_ = false;
  const bool entering = !homeShown_;
  if (entering) {
    homeShown_ = true;
    view_.clearHover();
    moveWindowFor(true);
    view_.repaint();
  }
  // Placed before the focus moves: a hidden edit cannot take the keyboard.
  placeControls();
  if (entering) view_.focusControl(MainControl::kIdEdit);
  if (!autoConnectTarget_.empty()) {
    view_.setEditText(MainControl::kIdEdit, utf8ToUtf16(autoConnectTarget_));
    autoConnectTarget_.clear();
    view_.postCommand(kConnectCommand);
  }
}

void MainScreens::leaveHomeScreen() {
  if (!homeShown_) return;
  homeShown_ = false;
  moveWindowFor(false);
  placeControls();
  view_.repaint();
}

void MainScreens::showLoginScreen(const std::string& message) {
  leaveHomeScreen();
  passwordScreenShown_ = false;
  loginShown_ = true;
  loginError_ = message;
  view_.clearHover();
  if (view_.editText(MainControl::kLoginEdit).empty()) {
    std::string last;
    {
      std::lock_guard lock(account_.lock);
      last = account_.lastLoginName;
    }
    view_.setEditText(MainControl::kLoginEdit, utf8ToUtf16(last));
  }
  placeControls();
  view_.repaint();
  const bool loginEmpty = view_.editText(MainControl::kLoginEdit).empty();
  view_.focusControl(loginEmpty ? MainControl::kLoginEdit : MainControl::kLoginPasswordEdit);
}

void MainScreens::leaveLoginScreen() {
  loginShown_ = false;
  loginError_.clear();
  view_.setEditText(MainControl::kLoginPasswordEdit, u"");
  placeControls();
  view_.repaint();
}

void MainScreens::toggleRememberLogin() {
  rememberLogin_ = !rememberLogin_;
  view_.repaint();
}

std::string MainScreens::readEdit(MainControl edit) const {
  const MainControlInfo& info = mainControlInfo(edit);
  std::u16string typed = view_.editText(edit);
  std::u16string text = withinEditLimit(typed, size_t(info.limit));
  secureWipe(typed);
  if (info.lowerCase) text = lowerCaseLetters(text);
  std::string utf8 = utf16ToUtf8(text);
  secureWipe(text);
  return utf8;
}

void MainScreens::submitLogin() {
  if (!loginShown_ || loginInProgress_) return;
  LoginThreadRequest request;
  request.login = withoutSpaces(readEdit(MainControl::kLoginEdit));
  request.password = readEdit(MainControl::kLoginPasswordEdit);
  request.remember = rememberLogin_ ? 1 : 0;
  if (request.login.empty() || request.password.empty()) {
    secureWipe(request.password);
    loginError_ = kLoginFieldsMissingText;
    view_.repaint();
    view_.focusControl(request.login.empty() ? MainControl::kLoginEdit
                                             : MainControl::kLoginPasswordEdit);
    return;
  }
  loginInProgress_ = true;
  loginError_.clear();
  view_.repaint();
  services_.startLogin(request);  // a copy: this one is wiped here
  secureWipe(request.password);
}

void MainScreens::applyAcceptedLogin(const LoginResult& result) {
  {
    std::lock_guard lock(account_.lock);
    account_.session = {result.token, result.expiry, result.loginName, result.displayName};
    account_.lastLoginName = result.loginName;
  }
  if (result.remember) {
    services_.saveLogin(result);
  } else {
    services_.forgetSavedLogin();
  }
  services_.loadFavourites(result.loginName);
  view_.setEditText(MainControl::kLoginPasswordEdit, u"");
  loginError_.clear();
  const std::string& name = result.displayName.empty() ? result.loginName : result.displayName;
  view_.setStatus(kLoggedInStatusPrefix + name);
  enterHomeScreen();
}

void MainScreens::loginFinished(std::unique_ptr<LoginResult> result) {
  loginInProgress_ = false;
  if (!result) {
    view_.repaint();
    return;
  }
  if (result->accepted) {
    applyAcceptedLogin(*result);
  } else {
    loginError_ = result->error;
    view_.setEditText(MainControl::kLoginPasswordEdit, u"");
    if (loginShown_) view_.focusControl(MainControl::kLoginPasswordEdit);
  }
  secureWipe(result->token);
  result.reset();
  view_.repaint();
}

void MainScreens::clearLocalLogin() {
  clearLoginState(account_);
  services_.forgetSavedLogin();
  services_.clearFavourites();
}

void MainScreens::logout() {
  SessionToken token{};
  {
    std::lock_guard lock(account_.lock);
    token = account_.session.token;
  }
  clearLocalLogin();
  services_.startLogout(token);
  secureWipe(token);
  view_.setEditText(MainControl::kIdEdit, u"");
  view_.setEditText(MainControl::kRemotePasswordEdit, u"");
  loginShown_ = false;
  leaveHomeScreen();
  view_.setStatus(kLoggedOutStatus);
}

void MainScreens::refreshSessionControls() {
  placeControls();
  view_.repaint();
}

void MainScreens::connect() {
  if (services_.hostState() != HostState::kIdle) return;
  if (!loggedIn()) {
    showLoginScreen(kConnectLoginEndedText);
    return;
  }
  const std::string id = withoutSpaces(readEdit(MainControl::kIdEdit));
  if (id.empty()) {
    view_.setStatus(kConnectNoIdStatus);
    return;
  }
  if (!nineDigits(id)) {
    view_.setStatus(kConnectBadIdStatus);
    return;
  }
  if (id == services_.ownId()) {
    view_.setStatus(kConnectOwnIdStatus);
    return;
  }
  view_.setStatus(kConnectingStatus);
  std::string password = readEdit(MainControl::kRemotePasswordEdit);
  services_.startViewerSession(id, password);
  secureWipe(password);
}

void MainScreens::connectToCard(const std::string& id) {
  if (services_.hostState() != HostState::kIdle) return;
  view_.setEditText(MainControl::kIdEdit, utf8ToUtf16(id));
  connect();
}

void MainScreens::openPasswordScreen() {
  if (homeShown_ || loginShown_) return;
  passwordScreenShown_ = true;
  passwordError_.clear();
  view_.clearHover();
  view_.setEditText(MainControl::kNewPasswordEdit, u"");
  view_.setEditText(MainControl::kRepeatPasswordEdit, u"");
  placeControls();
  view_.repaint();
  view_.focusControl(MainControl::kNewPasswordEdit);
}

void MainScreens::applyPasswordOutcome(const PasswordCommandOutcome& outcome) {
  passwordError_ = outcome.screenError;
  if (!outcome.status.empty()) view_.setStatus(std::string(outcome.status));
  if (outcome.emptyEdits) {
    view_.setEditText(MainControl::kNewPasswordEdit, u"");
    view_.setEditText(MainControl::kRepeatPasswordEdit, u"");
  }
  if (outcome.closeScreen) {
    passwordScreenShown_ = false;
    passwordError_.clear();
    placeControls();
  }
  view_.repaint();
}

bool MainScreens::command(int id) {
  switch (id) {
    case kConnectCommand: connect(); return true;
    case kLoginCommand: submitLogin(); return true;
    default: return false;
  }
}

bool MainScreens::click(const ClickDecision& decision) {
  switch (decision.action) {
    case ClickAction::kEnterHomeScreen: enterHomeScreen(); return true;
    case ClickAction::kConnectToCard: connectToCard(decision.key); return true;
    case ClickAction::kLeaveLoginScreen: leaveLoginScreen(); return true;
    case ClickAction::kToggleRememberLogin: toggleRememberLogin(); return true;
    case ClickAction::kLogout: logout(); return true;
    case ClickAction::kOpenPasswordScreen: openPasswordScreen(); return true;
    case ClickAction::kClosePasswordScreen: applyPasswordOutcome(passwordBackOutcome()); return true;
    default: return false;
  }
}

EditKeyAction MainScreens::editKey(MainControl edit, EditKey key) const {
  const bool connectShown = controls()[MainControl::kConnect].shown;
  return editKeyAction(edit, key, connectShown, passwordScreenShown_);
}

}  // namespace px
