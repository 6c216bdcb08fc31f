#include "viewer/viewer_session.h"

#include <cctype>
#include <cstdio>
#include <thread>

#include "base/log.h"
#include "base/scoped_wipe.h"
#include "net/channel_handshake.h"
#include "protocol/access_password.h"
#include "protocol/session_messages.h"
#include "relay/login_worker.h"
#include "store/connection_lists.h"
#include "viewer/utf16_text.h"
#include "viewer/viewer_input.h"

namespace px {
namespace {

constexpr uint32_t kKeepAliveIdleMs = 15000;
constexpr uint32_t kKeepAliveIntervalMs = 5000;
constexpr size_t kMaxStatusBytes = 160;

void viewerError(ViewerSession& session, ViewerUi& ui, const std::string& text) {
  logPrintf("[VIEWER] %s (%s)\n", text.c_str(), session.remoteId.c_str());
  session.failure = text;
  ui.setStatus(text);
}

bool stillWanted(ViewerSession& session, ViewerUi& ui) {
  return session.running.load() && ui.appRunning();
}

// One message of `type` with at least `minSize` bytes, or false.
bool receiveExpected(SecureChannel& channel, MessageType type, size_t minSize, Bytes& payload) {
  RecordHeader header;
  if (!receiveRecord(channel, header, payload)) return false;
  return header.type == uint8_t(type) && payload.size() >= minSize;
}

// The proof stays zero when no password was typed, the count is beyond what a viewer computes,
// or a step failed; the host then falls back to asking its user.
void fillProof(const std::string& password, const PasswordParams& params,
               const SessionHash& sessionHash, std::array<uint8_t, 32>& proof) {
  proof.fill(0);
  if (password.empty() || params.iterations > kMaxPasswordIterations) return;
  Digest32 key{};
  Digest32 out{};
  ScopedWipe wipeKey(key), wipeOut(out);
  PasswordSalt salt;
  std::copy(params.salt.begin(), params.salt.end(), salt.begin());
  if (hashAccessPassword(ByteView(reinterpret_cast<const uint8_t*>(password.data()),
                                  password.size()),
                         salt, params.iterations, key) &&
      accessPasswordProof(key, sessionHash, out)) {
    std::copy(out.begin(), out.end(), proof.begin());
  }
}

bool openTunnel(ViewerSession& session, ViewerUi& ui, const TunnelOpener& tunnel,
                PublicKey64& hostKey) {
  TunnelFailure failure;
  const bool ok = tunnel ? tunnel(session.remoteId, *session.channel, hostKey, failure)
                         : requestTunnel(session.remoteId, *session.channel, hostKey, failure);
  if (ok) return true;
  viewerError(session, ui, failure.error);
  if (failure.identityAlarm) ui.showSecurityAlert();
  if (failure.loginRequired) ui.loginExpired();
  return false;
}

// The handshake, and the host's identity checked against the key the relay gave for the ID.
bool verifyHostIdentity(ViewerSession& session, ViewerUi& ui, const PublicKey64& relayHostKey) {
  PublicKey64 provedKey{};
  if (!viewerHandshake(*session.channel, provedKey)) {
    viewerError(session, ui, "Erro: falha na conexao segura");
    return false;
  }
  if (!constantTimeEqual(ByteView(provedKey.data(), provedKey.size()),
                         ByteView(relayHostKey.data(), relayHostKey.size()))) {
    viewerError(session, ui, "Erro: identidade do computador remoto nao confere");
    ui.showSecurityAlert();
    return false;
  }
  return true;
}

// Reads the host's password parameters and answers with this side's access request, carrying a
// proof of the password when one was given.
bool sendAccessRequest(ViewerSession& session, ViewerUi& ui, const std::string& password) {
  SecureChannel& channel = *session.channel;
  Bytes payload;
  std::optional<PasswordParams> params;
  if (receiveExpected(channel, MessageType::kPasswordParams, kPasswordParamsSize, payload))
    params = parsePasswordParams(payload);
  if (!params) {
    viewerError(session, ui, "Erro: versao do Parvolex remoto incompativel");
    return false;
  }
  AccessRequest request;
  ScopedWipe wipeProof(request.proof);
  request.computerId = ui.ownComputerId();
  request.displayName = ui.displayName();
  fillProof(password, *params, channel.sessionHash(), request.proof);
  Bytes requestBytes = buildAccessRequest(request);
  ScopedWipe wipeRequest(requestBytes);
  if (sendRecord(channel, uint8_t(MessageType::kAccessRequest), requestBytes)) return true;
  viewerError(session, ui, "Erro: conexao perdida");
  return false;
}

// The host's decision; on acceptance the session knows whether control was granted.
bool awaitAccessReply(ViewerSession& session, ViewerUi& ui, const ViewerTimeouts& timeouts) {
  SecureChannel& channel = *session.channel;
  ui.setStatus("Aguardando o outro lado aceitar...");
  setReceiveTimeout(channel, timeouts.accessReply);
  Bytes payload;
  std::optional<AccessReply> reply;
  if (receiveExpected(channel, MessageType::kAccessReply, kAccessReplySize, payload))
    reply = parseAccessReply(payload);
  if (!reply) {
    viewerError(session, ui, "Sem resposta do computador remoto");
    return false;
  }
  if (!reply->accepted) {
    viewerError(session, ui, "Acesso recusado pelo computador remoto");
    return false;
  }
  session.controlGranted = reply->control;
  logPrintf("[VIEWER] Acesso aceito (controle=%d) %s\n", session.controlGranted ? 1 : 0,
            session.remoteId.c_str());
  return true;
}

// The host's hello gives the screen size the image takes.
bool awaitHostHello(ViewerSession& session, ViewerUi& ui, const ViewerTimeouts& timeouts) {
  SecureChannel& channel = *session.channel;
  setReceiveTimeout(channel, timeouts.hostHello);
  Bytes payload;
  std::optional<HostHello> hello;
  if (receiveExpected(channel, MessageType::kHostHello, kHostHelloSize, payload))
    hello = parseHostHello(payload);
  // A size no monitor has would only make the image allocation fail later; refuse it here.
  if (!hello || !isAcceptableScreenSize(hello->width, hello->height)) {
    viewerError(session, ui, "Erro: handshake invalido");
    return false;
  }
  setReceiveTimeout(channel, 0);
  if (!stillWanted(session, ui)) return false;
  {
    std::lock_guard lock(session.image.lock);
    session.image.width = hello->width;
    session.image.height = hello->height;
    session.image.publishedWidth.store(hello->width);
    session.image.publishedHeight.store(hello->height);
  }
  logPrintf("[VIEWER] Handshake OK: %dx%d %s\n", int(hello->width), int(hello->height),
            session.remoteId.c_str());
  return true;
}

// Steps from the handshake to the host's hello. On success the image has its size and the
// session knows whether control was granted. False after a failure text (or a quiet stop).
bool negotiate(ViewerSession& session, ViewerUi& ui, const std::string& password,
               const ViewerTimeouts& timeouts, const PublicKey64& relayHostKey) {
  ui.setStatus("Estabelecendo conexao segura...");
  setReceiveTimeout(*session.channel, timeouts.secure);
  setKeepAlive(*session.channel, kKeepAliveIdleMs, kKeepAliveIntervalMs);
  return verifyHostIdentity(session, ui, relayHostKey) &&
         sendAccessRequest(session, ui, password) && awaitAccessReply(session, ui, timeouts) &&
         awaitHostHello(session, ui, timeouts);
}

bool prepareImage(ViewerSession& session, ViewerUi& ui) {
  const int width = session.image.width, height = session.image.height;
  addRecent(session.remoteId, session.remoteId);
  session.image.thumbnailKey = session.remoteId;
  session.image.thumbnailCountdown.store(kThumbnailAfterFrames);
  session.windowTitle = utf8ToUtf16(viewerWindowTitle(session.remoteId));
  {
    std::lock_guard lock(session.overlay.lock);
    session.overlay.statusText = formatStatusText(width, height, session.controlGranted);
  }
  sendRecord(*session.channel, uint8_t(MessageType::kViewerReady), {});
  std::lock_guard lock(session.image.lock);
  if (!session.image.resetLocked(width, height)) {
    viewerError(session, ui, "Erro: nao foi possivel abrir a janela");
    return false;
  }
  return true;
}

bool openWindow(ViewerSession& session, ViewerUi& ui) {
  if (!ui.createWindow(session)) {
    ui.destroyWindow(session);
    viewerError(session, ui, "Erro: nao foi possivel abrir a janela");
    return false;
  }
  logPrintf("[VIEWER] Janela criada. Inicializando renderer...\n");
  if (!ui.initRenderer(session)) {
    logPrintf("[VIEWER] Renderer init falhou!\n");
    ui.releaseRenderer(session);
    ui.destroyWindow(session);
    viewerError(session, ui, "Erro: D3D11 renderer falhou");
    return false;
  }
  ui.showWindow(session);
  char status[kMaxStatusBytes];
  std::snprintf(status, sizeof status, "Visualizando %s (%dx%d)", session.remoteId.c_str(),
                session.image.width, session.image.height);
  ui.setStatus(status);
  return true;
}

void runSession(ViewerSession& session, ViewerUi& ui) {
  std::thread receiver;
  try {
    receiver = std::thread([&session, &ui] { viewerReceiveLoop(session, ui); });
  } catch (const std::system_error&) {
    // Without its receive thread the session can show nothing: end it as a lost connection.
    logPrintf("[VIEWER] thread de recepcao nao iniciou (%s)\n", session.remoteId.c_str());
    session.running.store(false);
  }
  session.lastMouseX.store(-1);
  session.lastMouseY.store(-1);
  if (session.controlGranted) ui.installKeyboardHook(session);

  while (session.running.load()) {
    if (!ui.appRunning()) break;
    if (!ui.runOnce(session)) session.running.store(false);
  }

  session.running.store(false);
  if (session.controlGranted) ui.removeKeyboardHook(session);
  releaseAllKeys(session, ui);
  sendRecord(*session.channel, uint8_t(MessageType::kBye), {});
  {
    std::lock_guard lock(session.channelLock);
    closeSocket(*session.channel);
  }
  if (receiver.joinable()) receiver.join();
  ui.releaseRenderer(session);
  ui.destroyWindow(session);
  if (ui.appRunning()) ui.sessionEnded(session);
}

}  // namespace

std::string ViewerUi::displayName() { return deviceLabel(); }

std::string viewerWindowTitle(const std::string& remoteId) {
  if (remoteId.size() != 9) return remoteId;
  for (const char c : remoteId) {
    if (c < '0' || c > '9') return remoteId;
  }
  return remoteId.substr(0, 3) + " " + remoteId.substr(3, 3) + " " + remoteId.substr(6, 3);
}

void viewerThread(ViewerSession& session, std::string password, ViewerUi& ui,
                  const ViewerTimeouts& timeouts, TunnelOpener tunnel) {
  {
    std::lock_guard lock(session.channelLock);
    session.channel = std::make_unique<SecureChannel>();
  }
  if (stillWanted(session, ui)) {
    logPrintf("[VIEWER] Conectando via relay, ID %s\n", session.remoteId.c_str());
    ui.setStatus("Conectando via relay...");
    PublicKey64 hostKey{};
    if (openTunnel(session, ui, tunnel, hostKey) && stillWanted(session, ui) &&
        negotiate(session, ui, password, timeouts, hostKey) && prepareImage(session, ui) &&
        openWindow(session, ui)) {
      runSession(session, ui);
    }
  }
  secureWipe(password.data(), password.size());
  {
    std::lock_guard lock(session.channelLock);
    session.channel.reset();
  }
  session.finished.store(true);
}

bool sendChat(ViewerSession& session, const std::string& text) {
  Bytes payload;
  if (!buildChatText(text, payload)) return false;
  bool sent = false;
  {
    std::lock_guard lock(session.channelLock);
    if (session.channel) sent = sendRecord(*session.channel, uint8_t(MessageType::kChatText), payload);
  }
  if (sent) {
    std::lock_guard lock(session.chat.lock);
    if (session.chat.entries.size() >= kMaxChatEntries) session.chat.entries.pop_front();
    session.chat.entries.push_back({true, utf8ToUtf16(text)});
  }
  return sent;
}

bool sendSelectMonitor(ViewerSession& session, int index) {
  if (index < 0 || index > 255) return false;
  std::lock_guard lock(session.channelLock);
  return session.channel &&
         sendRecord(*session.channel, uint8_t(MessageType::kSelectMonitor),
                    buildSelectMonitor({uint8_t(index)}));
}

}  // namespace px
