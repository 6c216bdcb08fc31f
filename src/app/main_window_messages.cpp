#include "app/main_window_messages.h"

#include "app/posted_messages.h"
#include "app/worker_reports.h"
#include "ui/chat_history.h"
#include "viewer/utf16_text.h"

namespace px {

bool MainWindowMessages::handle(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_APP_INCOMING:
      incoming(lParam);
      return true;
    case WM_APP_SESSION_ENDED:
      sessionEnded(wParam != 0);
      return true;
    case WM_APP_RELAY_CHANGED:
    case WM_APP_RECENTS_CHANGED:
      view_.repaint();
      return true;
    case WM_APP_HOST_SESSION:
      hostSession(lParam);
      return true;
    case WM_APP_CHAT:
      chat(lParam);
      return true;
    case WM_APP_LOGIN_RESULT:
      if (auto result = takePostedRecord<LoginResult>(lParam)) view_.loginFinished(std::move(result));
      return true;
    case WM_APP_LOGIN_EXPIRED:
      loginExpired();
      return true;
    default:
      return false;
  }
}

void MainWindowMessages::incoming(intptr_t lParam) {
  auto channel = takePostedRecord<SecureChannel>(lParam);
  if (!channel) return;
  host_.offerIncoming(std::move(channel));
  view_.refreshSessionControls();
}

// Posted by the host side and by viewer sessions alike, so a running host session stays.
void MainWindowMessages::sessionEnded(bool statusAlreadySet) {
  if (host_.state() != HostState::kActive) view_.hostSessionGone();
  view_.refreshSessionControls();
  if (!statusAlreadySet) view_.setStatus(kReadyStatus);
}

void MainWindowMessages::hostSession(intptr_t lParam) {
  auto start = takePostedRecord<HostSessionStart>(lParam);
  if (!start) return;
  const std::string peerName = start->displayText;
  host_.startHostSession(std::move(*start));
  view_.refreshSessionControls();
  view_.hostSessionStarting(peerName);
}

void MainWindowMessages::chat(intptr_t lParam) {
  auto posted = takePostedRecord<std::string>(lParam);
  if (!posted) return;
  const std::u16string text = normalizeChatText(utf8ToUtf16(*posted));
  // A line arriving as the session ends has no window to go to.
  if (!text.empty() && host_.state() == HostState::kActive) view_.hostChatReceived(text);
  view_.refreshSessionControls();
}

// A technician in the middle of helping someone is not thrown to the login screen.
void MainWindowMessages::loginExpired() {
  view_.clearLogin();
  if (host_.state() != HostState::kActive) view_.showLoginScreen(kLoginExpiredText);
}

}  // namespace px
