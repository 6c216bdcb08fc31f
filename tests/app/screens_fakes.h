// Fakes for the main window's screens: a window that keeps its rectangle, edit texts, focus and
// last control placement, and services that record what the screens started.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/main_screens.h"
#include "ui/dip.h"

namespace px::test {

// A 1920 × 1040 work area (a taskbar below) with the compact window centred in it at `dpi`.
class FakeScreensView final : public MainScreensView {
 public:
  explicit FakeScreensView(int dpi = 96) : dpi(dpi) {
    const SizePx size = dipsToPixels(SizeF{560, 300}, dpi);
    const int left = (workArea.width() - size.width) / 2, top = (workArea.height() - size.height) / 2;
    window = {left, top, left + size.width, top + size.height};
  }

  WindowFrame windowFrame() const override { return {window, workArea, dpi, maximised}; }
  void restoreWindow() override {
    maximised = false;
    window = restoredWindow;
  }
  void moveWindow(const RectPx& rect) override { window = rect; }
  SizeF clientSize() const override {
    return pixelsToDips(SizePx{window.width(), window.height()}, dpi);
  }
  bool hostChatWindowOpen() const override { return chatOpen; }
  void applyControls(const MainControlsPlacement& placement) override { controls = placement; }
  void focusControl(MainControl control) override { focused = control; }
  std::u16string editText(MainControl edit) const override {
    const auto found = edits.find(edit);
    return found == edits.end() ? std::u16string() : found->second;
  }
  void setEditText(MainControl edit, const std::u16string& text) override { edits[edit] = text; }
  void setStatus(const std::string& text) override { statuses.push_back(text); }
  void clearHover() override { hoverCleared = true; }
  void repaint() override {}
  void postCommand(int command) override { posted.push_back(command); }

  // Maximises over the whole work area, remembering the rectangle a restore returns to.
  void maximise() {
    restoredWindow = window;
    window = workArea;
    maximised = true;
  }
  bool shown(MainControl c) const { return controls[c].shown; }
  std::string lastStatus() const { return statuses.empty() ? std::string() : statuses.back(); }

  int dpi;
  RectPx workArea{0, 0, 1920, 1040};
  RectPx window;
  RectPx restoredWindow;
  bool maximised = false;
  bool chatOpen = false;
  MainControlsPlacement controls;
  MainControl focused = MainControl::kIdEdit;
  std::map<MainControl, std::u16string> edits;
  std::vector<std::string> statuses;
  bool hoverCleared = false;
  std::vector<int> posted;
};

// A click decision of `action` (on `key`), as main_mouse makes them.
inline ClickDecision clickOf(ClickAction action, std::string key = {}) {
  ClickDecision d;
  d.action = action;
  d.key = std::move(key);
  return d;
}

class FakeScreensServices final : public MainScreensServices {
 public:
  HostState hostState() const override { return host; }
  std::string ownId() const override { return id; }
  int64_t now() const override { return clock; }
  void startLogin(LoginThreadRequest request) override { logins.push_back(std::move(request)); }
  void startLogout(const SessionToken& token) override { logouts.push_back(token); }
  void startViewerSession(const std::string& target, std::string password) override {
    viewers.emplace_back(target, std::move(password));
  }
  void saveLogin(const LoginResult& result) override { stores.push_back("save " + result.loginName); }
  void forgetSavedLogin() override { stores.push_back("forget"); }
  void loadFavourites(const std::string& loginName) override {
    stores.push_back("favourites " + loginName);
  }
  void clearFavourites() override { stores.push_back("clear favourites"); }

  HostState host = HostState::kIdle;
  std::string id = "987654321";
  int64_t clock = 1'700'000'000;
  std::vector<LoginThreadRequest> logins;
  std::vector<SessionToken> logouts;
  std::vector<std::pair<std::string, std::string>> viewers;
  std::vector<std::string> stores;  // saved login and favourites, in order
};

}  // namespace px::test
