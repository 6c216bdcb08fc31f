// One outgoing connection to a remote computer: the ViewerSession object and the session thread
// that takes it from the relay's tunnel to the running viewer and back down.
//
// The portable thread body talks to the window system only through ViewerUi, which the Windows
// viewer fills with its window, renderer and keyboard hook, and the headless tool with nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/secure_channel.h"
#include "relay/sealed_request.h"
#include "viewer/receive_handlers.h"
#include "viewer/screen_image.h"

namespace px {

struct ViewerSession;

// The window-system side of a session. Every call but those marked "receive thread" is made on
// the session thread.
class ViewerUi {
 public:
  virtual ~ViewerUi() = default;

  // False once the process is shutting down.
  virtual bool appRunning() { return true; }
  // The status line of the main window.
  virtual void setStatus(const std::string& text) { (void)text; }
  // The modal security alert; returns once it was dismissed.
  virtual void showSecurityAlert() {}
  // The relay said the account session expired.
  virtual void loginExpired() {}

  // Creates the viewer window for the image size; false fails the session. The window, if made,
  // is destroyed by destroyWindow.
  virtual bool createWindow(ViewerSession& session) = 0;
  // Starts the renderer on the view; false fails the session (the window is then destroyed).
  virtual bool initRenderer(ViewerSession& session) = 0;
  // Shows the window once everything is ready.
  virtual void showWindow(ViewerSession& session) { (void)session; }
  // One pass of the run loop: messages, resize, upload when frame ready, draw and present. Must
  // block for a while (the display's refresh, or a short sleep) so the loop does not spin. False
  // when the window's loop quit.
  virtual bool runOnce(ViewerSession& session) = 0;
  virtual void installKeyboardHook(ViewerSession& session) { (void)session; }
  virtual void removeKeyboardHook(ViewerSession& session) { (void)session; }
  virtual void releaseRenderer(ViewerSession& session) { (void)session; }
  virtual void destroyWindow(ViewerSession& session) { (void)session; }
  // Step after teardown when this session ended normally; the shell posts its ready text when no
  // other live viewer session remains and this computer is not hosting.
  virtual void sessionEnded(ViewerSession& session) { (void)session; }

  // Receive thread: the connection ended; close the window (posted, never direct).
  virtual void postClose(ViewerSession& session) { (void)session; }
  // Receive thread: repaint the overlay (tabs, status text).
  virtual void invalidate(ViewerSession& session) { (void)session; }
  // Receive thread: a chat line was appended to the session's chat log.
  virtual void chatReceived(ViewerSession& session) { (void)session; }
  // Receive thread: a new pointer shape (payload as received).
  virtual void cursorShape(ViewerSession& session, ByteView payload) {
    (void)session;
    (void)payload;
  }
  // Receive thread, image lock not held: one frame was decoded into the image.
  virtual void frameDecoded(ViewerSession& session) { (void)session; }
  // Receive thread: a thumbnail file was written.
  virtual void thumbnailSaved(const std::string& key) { (void)key; }

  // The hardware scan code for a virtual-key code (0 when unknown).
  virtual uint16_t scanCodeForKey(uint16_t virtualKey) {
    (void)virtualKey;
    return 0;
  }
  // This computer's own ID from its registration (empty when it has none).
  virtual std::string ownComputerId() { return {}; }
  // "<user> @ <computer>".
  virtual std::string displayName();
};

// Receive time-outs of the steps before the window exists, in milliseconds.
struct ViewerTimeouts {
  uint32_t secure = 15000;       // handshake, password parameters
  uint32_t accessReply = 60000;  // the other side's user deciding
  uint32_t hostHello = 15000;
};

// How the session reaches the host. The default is the relay's tunnel (requestTunnel); tests put
// a direct connection here.
using TunnelOpener = std::function<bool(const std::string& id, SecureChannel& channel,
                                        PublicKey64& hostIdentity, TunnelFailure& failure)>;

struct ViewerSession {
  explicit ViewerSession(std::string id) : remoteId(std::move(id)) {}
  ViewerSession(const ViewerSession&) = delete;
  ViewerSession& operator=(const ViewerSession&) = delete;

  std::atomic<bool> running{true};
  std::atomic<bool> finished{false};  // set by the session thread as its very last act

  std::mutex channelLock;                   // guards creation, closing and destruction
  std::unique_ptr<SecureChannel> channel;   // guarded by channelLock for those changes

  ScreenImage image;
  std::mutex keyLock;
  std::vector<uint16_t> pressedKeys;  // guarded by keyLock, in the order pressed
  std::atomic<int32_t> lastMouseX{-1};
  std::atomic<int32_t> lastMouseY{-1};
  std::atomic<bool> resizePending{false};

  const std::string remoteId;  // as typed
  bool controlGranted = false;  // written before the receive thread starts
  std::u16string windowTitle;

  OverlayState overlay;
  ChatLog chat;

  // The last step's failure text (empty when none); for the shell and tools.
  std::string failure;  // session thread only until finished
  void* platform = nullptr;  // the window system's own per-session state
};

// The session thread body. `password` is the text typed for an unattended-access password (may
// be empty); it is wiped before returning.
void viewerThread(ViewerSession& session, std::string password, ViewerUi& ui,
                  const ViewerTimeouts& timeouts = {}, TunnelOpener tunnel = {});

// The receive thread body: decodes frames and handles host messages until the connection ends,
// a Bye arrives or the session stops; then clears running and posts the window's close.
void viewerReceiveLoop(ViewerSession& session, ViewerUi& ui);

// "123 456 789" for a nine-digit ID; any other ID as it stands.
std::string viewerWindowTitle(const std::string& remoteId);

// Sends ChatText under the channel lock; also appends it to the chat log as typed here. False
// when the text is empty or too long, or nothing could be sent.
bool sendChat(ViewerSession& session, const std::string& text);
// Sends SelectMonitor under the channel lock.
bool sendSelectMonitor(ViewerSession& session, int index);

}  // namespace px
