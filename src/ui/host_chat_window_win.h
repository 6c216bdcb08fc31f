// The host chat window: the small always-on-top tool window in which the person being helped
// reads the technician's lines and answers. Owned by the main window; main thread only.
#pragma once

#include <d2d1.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <string_view>

#include "ui/chat_history.h"
#include "ui/ui_handles_win.h"

namespace px {

class HostChatWindow {
 public:
  // Sends one typed line (UTF-8) as chat text on the host session's channel; false when there is
  // no channel or the send failed.
  using SendLine = std::function<bool(const std::string& utf8)>;

  // `owner` (the main window, may be null) and `history` must outlive this object.
  HostChatWindow(HWND owner, ChatHistory& history, SendLine send);
  ~HostChatWindow();  // destroys the window
  HostChatWindow(const HostChatWindow&) = delete;
  HostChatWindow& operator=(const HostChatWindow&) = delete;

  // Creates the window when there is none, else shows it; a non-empty `peerName` replaces the
  // stored one. Brought to the foreground and repainted. False when it could not be created.
  bool open(std::u16string_view peerName = {});
  // Shows the existing window again: in the foreground, or without taking the focus and flashed
  // once. Repainted either way. Nothing without a window.
  void showAgain(bool foreground);
  // A line from the viewer. Cleaned up (`normalizeChatText`) and dropped when nothing is left;
  // otherwise added as a received entry, and the window shows it: opened in the foreground when
  // there was none, shown again without the focus (flashing) when there was one.
  void addReceived(std::u16string_view text);
  // The name shown under the title (the session's display text; empty hides it). Repaints.
  void setPeerName(std::u16string name);
  // Repaints after the history changed behind the window's back (cleared by the shell).
  void repaint();
  // Destroys the window (it is made again by the next open); the history stays with its owner.
  void destroy();

  HWND hwnd() const { return window_.get(); }
  bool exists() const { return window_.valid(); }

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
  bool create();
  void paint();
  void draw(ID2D1RenderTarget* target);
  bool makeTarget();
  void layoutEdit();
  void sendTyped();
  void leftButtonDown(LPARAM lParam);
  LRESULT hitTest(LPARAM lParam) const;
  void dpiChanged(WPARAM wParam, LPARAM lParam);
  void forgetWindow();

  HWND owner_;
  ChatHistory& history_;
  SendLine send_;
  std::u16string peerName_;
  ScopedWindow window_;
  HWND edit_ = nullptr;  // child of window_, destroyed with it
  ScopedFont editFont_;
  int dpi_ = 96;
  Microsoft::WRL::ComPtr<ID2D1Factory> d2d_;
  Microsoft::WRL::ComPtr<ID2D1DCRenderTarget> target_;
};

}  // namespace px
