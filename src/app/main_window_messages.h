// What the main window does with each posted message, apart from the window system: the
// decisions live here and are tested with fakes; the Win32 window only carries out the calls.
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/host_session.h"
#include "relay/login_worker.h"

namespace px {

// The host side as the main window drives it (HostService in the program, a fake in tests).
class HostControl {
 public:
  virtual ~HostControl() = default;
  virtual HostState state() const = 0;
  // Busy: the channel is closed with the "ocupado" log line. Idle: the access decision starts.
  virtual void offerIncoming(std::unique_ptr<SecureChannel> channel) = 0;
  virtual void startHostSession(HostSessionStart start) = 0;
};

// The window's side of each decision.
class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  virtual void refreshSessionControls() = 0;
  virtual void repaint() = 0;
  // Shows the status line text (any thread may set it; here always the main thread).
  virtual void setStatus(const std::string& text) = 0;
  // A host session begins with `peerName` on the other side: an empty chat transcript.
  virtual void hostSessionStarting(const std::string& peerName) = 0;
  // No host session any more: the host chat window closes, transcript and peer name go.
  virtual void hostSessionGone() = 0;
  // A chat line from the viewer of the running host session, made fit for one line (never empty).
  virtual void hostChatReceived(const std::u16string& text) = 0;
  virtual void loginFinished(std::unique_ptr<LoginResult> result) = 0;
  // Forgets the local login (memory and saved file).
  virtual void clearLogin() = 0;
  virtual void showLoginScreen(const std::string& message) = 0;
};

inline constexpr const char* kReadyStatus = "Pronto. Aguardando conexão...";
inline constexpr const char* kLoginExpiredText = "Seu login venceu ou foi encerrado. Entre de novo.";

class MainWindowMessages {
 public:
  // Both must outlive this object.
  MainWindowMessages(HostControl& host, MainWindowView& view) : host_(host), view_(view) {}

  // Handles one of the posted messages and takes ownership of its record. False for any other
  // number (and for WM_APP_CHAT_SEND, which the chat windows handle): default processing.
  bool handle(uint32_t message, uintptr_t wParam, intptr_t lParam);

 private:
  void incoming(intptr_t lParam);
  void sessionEnded(bool statusAlreadySet);
  void hostSession(intptr_t lParam);
  void chat(intptr_t lParam);
  void loginExpired();

  HostControl& host_;
  MainWindowView& view_;
};

}  // namespace px
