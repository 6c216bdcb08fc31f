// The main window's screens as decisions: the compact view and the home screen, the login
// screen over the compact view, the account's login and logout, the session controls and
// "Conectar". The window carries the decisions out through MainScreensView; threads, files and
// the host side are reached through MainScreensServices. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/host_state.h"
#include "relay/login_state.h"
#include "relay/login_worker.h"
#include "ui/frame_layout.h"
#include "ui/geometry.h"
#include "ui/main_controls_layout.h"
#include "ui/main_mouse.h"
#include "ui/password_settings.h"

namespace px {

inline constexpr const char* kLoginFieldsMissingText = "Digite o login e a senha";
inline constexpr const char* kLoggedInStatusPrefix = "Conectado como ";
inline constexpr const char* kLoggedOutStatus =
    "Você saiu. Para acessar outro computador, entre de novo.";
inline constexpr const char* kConnectNoIdStatus = "Digite o código do computador remoto";
inline constexpr const char* kConnectBadIdStatus = "O código tem 9 números";
inline constexpr const char* kConnectOwnIdStatus = "Esse é o ID deste computador";
inline constexpr const char* kConnectLoginEndedText = "Seu login venceu. Entre de novo.";
inline constexpr const char* kConnectingStatus = "Conectando via relay...";

// Where the window is, as the layout switch needs it.
struct WindowFrame {
  RectPx window;    // screen pixels (the restored rectangle is read again after a restore)
  RectPx workArea;  // of the window's monitor
  int dpi = 96;
  bool maximised = false;
};

// The window side of the screens.
class MainScreensView {
 public:
  virtual ~MainScreensView() = default;
  virtual WindowFrame windowFrame() const = 0;
  virtual void restoreWindow() = 0;                 // out of the maximised state
  virtual void moveWindow(const RectPx& rect) = 0;  // screen pixels, no z-order change
  virtual SizeF clientSize() const = 0;             // DIPs
  virtual bool hostChatWindowOpen() const = 0;
  // Shows or hides, moves (DIPs to pixels), enables and sets read-only every native control.
  virtual void applyControls(const MainControlsPlacement& placement) = 0;
  virtual void focusControl(MainControl control) = 0;
  virtual std::u16string editText(MainControl edit) const = 0;
  virtual void setEditText(MainControl edit, const std::u16string& text) = 0;
  virtual void setStatus(const std::string& text) = 0;
  virtual void clearHover() = 0;  // `hoverKind` back to none
  virtual void repaint() = 0;
  virtual void postCommand(int command) = 0;  // WM_COMMAND to the main window
};

// What a login thread is given; it owns the password and wipes it.
struct LoginThreadRequest {
  std::string login;
  std::string password;
  uint8_t remember = 1;
};

// Threads, stores and the host side, as the screens use them.
class MainScreensServices {
 public:
  virtual ~MainScreensServices() = default;
  virtual HostState hostState() const = 0;
  virtual std::string ownId() const = 0;  // empty while unknown and in access-only mode
  virtual int64_t now() const = 0;        // seconds since 1970 (UTC)
  virtual void startLogin(LoginThreadRequest request) = 0;               // detached login thread
  virtual void startLogout(const SessionToken& token) = 0;         // detached logout thread
  virtual void startViewerSession(const std::string& id, std::string password) = 0;
  virtual void saveLogin(const LoginResult& result) = 0;           // login.bin
  virtual void forgetSavedLogin() = 0;                             // deletes login.bin
  virtual void loadFavourites(const std::string& loginName) = 0;
  virtual void clearFavourites() = 0;                              // in memory only
};

class MainScreens {
 public:
  // All three must outlive this object; `account` holds the session under its own lock.
  MainScreens(MainScreensView& view, MainScreensServices& services, AccountState& account)
      : view_(view), services_(services), account_(account) {}

  bool homeShown() const { return homeShown_; }
  bool loginShown() const { return loginShown_; }
  bool passwordScreenShown() const { return passwordScreenShown_; }
  bool loginInProgress() const { return loginInProgress_; }
  bool rememberLogin() const { return rememberLogin_; }
  const std::string& loginError() const { return loginError_; }
  const std::string& passwordError() const { return passwordError_; }
  // What the home screen shows beside "Sair": the display name, else the login.
  std::string accountName() const;
  // Expiry more than 30 seconds ahead.
  bool loggedIn() const;

  // The command-line target, connected to once the home screen is reached with a login.
  void setAutoConnectTarget(std::string target) { autoConnectTarget_ = std::move(target); }
  const std::string& autoConnectTarget() const { return autoConnectTarget_; }

  void enterHomeScreen();
  void leaveHomeScreen();
  void showLoginScreen(const std::string& message);
  void leaveLoginScreen();  // "Voltar"
  void toggleRememberLogin();
  void submitLogin();       // command 111
  void loginFinished(std::unique_ptr<LoginResult> result);  // 0x8008
  void logout();            // "Sair"
  // Forgets the session (memory, login.bin, favourites); keeps the login to pre-fill the box.
  void clearLocalLogin();
  void refreshSessionControls();  // on every `HostState` change
  void placeControls();           // after every screen change, resize and DPI change
  void connect();                 // command 102
  void connectToCard(const std::string& id);
  // The password screen over the compact view (the access-password link).
  void openPasswordScreen();
  // What "Salvar", "Voltar" and "Remover" leave on screen.
  void applyPasswordOutcome(const PasswordCommandOutcome& outcome);

  // Commands 102 and 111; false for the others.
  bool command(int id);
  // The clicks that belong to these screens (enter home, card, leave login, remember, logout);
  // false for the others.
  bool click(const ClickDecision& decision);
  // Enter and Tab in one of the edits.
  EditKeyAction editKey(MainControl edit, EditKey key) const;
  MainControlsPlacement controls() const;

 private:
  void moveWindowFor(bool toHome);
  std::string readEdit(MainControl edit) const;
  void applyAcceptedLogin(const LoginResult& result);

  MainScreensView& view_;
  MainScreensServices& services_;
  AccountState& account_;
  bool homeShown_ = false;
  bool loginShown_ = false;
  bool passwordScreenShown_ = false;
  bool loginInProgress_ = false;
  bool rememberLogin_ = true;
  std::string loginError_;
  std::string passwordError_;
  std::string autoConnectTarget_;
  mutable SizeF lastClient_ = kCompactSize;  // DIPs; the last non-empty client size
};

}  // namespace px
