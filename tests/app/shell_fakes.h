// Fakes for the shell's message handling: a poster that records or refuses, a host side that
// records what the window asked of it, and a view that records its calls in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/main_window_messages.h"
#include "app/message_poster.h"

namespace px::test {

struct PostedCall {
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};

// Records posts; `accept` false plays a main window that is already gone.
class RecordingPoster final : public MessagePoster {
 public:
  bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    if (!accept) return false;
    posts.push_back({message, wParam, lParam});
    return true;
  }
  bool accept = true;
  std::vector<PostedCall> posts;
};

class FakeHost final : public HostControl {
 public:
  HostState state() const override { return hostState; }
  void offerIncoming(std::unique_ptr<SecureChannel> channel) override {
    offered.push_back(std::move(channel));
  }
  void startHostSession(HostSessionStart start) override {
    started.push_back(start.displayText);
    hostState = HostState::kActive;
  }
  HostState hostState = HostState::kIdle;
  std::vector<std::unique_ptr<SecureChannel>> offered;
  std::vector<std::string> started;
};

// Each call as one line, e.g. "status Pronto. Aguardando conexão...".
class RecordingView final : public MainWindowView {
 public:
  void refreshSessionControls() override { calls.push_back("refresh"); }
  void repaint() override { calls.push_back("repaint"); }
  void setStatus(const std::string& text) override { calls.push_back("status " + text); }
  void hostSessionStarting(const std::string& peer) override { calls.push_back("starting " + peer); }
  void hostSessionGone() override { calls.push_back("gone"); }
  void hostChatReceived(const std::u16string& text) override {
    calls.push_back("chat " + std::string(text.begin(), text.end()));  // ASCII in these tests
  }
  void loginFinished(std::unique_ptr<LoginResult> result) override {
    calls.push_back("login " + result->loginName);
  }
  void clearLogin() override { calls.push_back("clear-login"); }
  void showLoginScreen(const std::string& message) override { calls.push_back("login-screen " + message); }
  std::vector<std::string> calls;
};

}  // namespace px::test
