#include "host/host_session.h"

#include <chrono>

#include "base/log.h"
#include "base/log_text.h"
#include "crypto/crypto.h"
#include "protocol/session_messages.h"
#include "store/connection_lists.h"
#include "store/password_store.h"

namespace px {

namespace {

constexpr uint32_t kAccessRequestTimeoutMs = 15000;
constexpr uint32_t kKeepAliveIdleMs = 15000;
constexpr uint32_t kKeepAliveIntervalMs = 5000;
constexpr int kCaptureGraceMs = 2000;

bool allZero(const std::array<uint8_t, 32>& bytes) {
  uint8_t any = 0;
  for (uint8_t b : bytes) any |= b;
  return any == 0;
}

PasswordParams currentPasswordParams() {
  PasswordParams params;
  {
    std::lock_guard guard(passwordStoreLock());
    const PasswordRecord record = readPasswordStoreLocked();
    if (record.hasPassword) {
      params.salt = record.salt;
      params.iterations = record.iterations;
      return params;
    }
  }
  // Fresh bytes each time, so a viewer cannot tell whether a password is set.
  randomBytes(MutableByteView(params.salt.data(), params.salt.size()));
  params.iterations = kPasswordIterations;
  return params;
}

std::string displayTextFor(const AccessRequest& request) {
  if (request.computerId.empty()) return request.displayName;
  return request.displayName + " (ID " + request.computerId + ")";
}

}  // namespace

HostService::HostService(HostDependencies deps) : deps_(std::move(deps)) {}

HostService::~HostService() {
  if (connectionThread_.joinable()) connectionThread_.join();
  disconnect();
  joinSession();
}

int64_t HostService::nowMs() const {
  if (deps_.clockMs) return deps_.clockMs();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void HostService::offerIncoming(std::unique_ptr<SecureChannel> channel) {
  HostState expected = HostState::kIdle;
  if (!state_.compare_exchange_strong(expected, HostState::kPending)) {
    logPrintf("[HOST] Conexao recusada (ocupado)\n");
    closeChannel(*channel);
    return;
  }
  // Only one connection thread can exist at a time (the state was idle), and the last one has
  // already left its decision, so this join is short.
  if (connectionThread_.joinable()) connectionThread_.join();
  connectionThread_ = std::thread([this, c = std::move(channel)]() mutable {
    hostConnectionThread(std::move(c));
  });
}

void HostService::failConnection(std::unique_ptr<SecureChannel> channel) {
  closeChannel(*channel);
  channel.reset();
  state_.store(HostState::kIdle);
  deps_.events->sessionEnded(false);
}

bool HostService::passwordAdmits(const SecureChannel& channel,
                                 const std::array<uint8_t, 32>& proof) {
  if (allZero(proof)) return false;
  std::lock_guard guard(passwordStoreLock());
  const PasswordRecord record = readPasswordStoreLocked();
  if (!record.hasPassword) return false;
  const int64_t now = nowMs();
  if (passwordLockedOut(guard_, now)) {
    logPrintf("[HOST] Acesso por senha suspenso por excesso de tentativas\n");
    return false;
  }
  Digest32 expected;
  if (!accessPasswordProof(record.hash, channel.sessionHash(), expected)) return false;
  const bool equal = constantTimeEqual(ByteView(expected.data(), expected.size()),
                                       ByteView(proof.data(), proof.size()));
  secureWipe(expected);
  if (equal) {
    notePasswordAccepted(guard_);
    logPrintf("[HOST] Acesso liberado pela senha\n");
    return true;
  }
  const WrongPasswordResult wrong = notePasswordWrong(guard_, now);
  if (wrong.lockedNow) {
    logPrintf("[HOST] Senha errada %u vezes; acesso por senha suspenso por 15 min\n",
              kMaxPasswordFailures);
  } else {
    logPrintf("[HOST] Senha errada (%u de %u)\n", wrong.count, kMaxPasswordFailures);
  }
  return false;
}

void HostService::hostConnectionThread(std::unique_ptr<SecureChannel> channel) {
  setReceiveTimeout(*channel, kAccessRequestTimeoutMs);
  const bool shaken = deps_.signer ? hostHandshake(*channel, *deps_.signer)
                                   : hostHandshake(*channel);
  if (!shaken) {
    logPrintf("[HOST] Handshake seguro falhou\n");
    failConnection(std::move(channel));
    return;
  }
  const Bytes params = buildPasswordParams(currentPasswordParams());
  sendRecord(*channel, uint8_t(MessageType::kPasswordParams), params);

  RecordHeader header;
  Bytes payload;
  std::optional<AccessRequest> request;
  if (receiveRecord(*channel, header, payload) && header.version == kRecordVersion &&
      header.type == uint8_t(MessageType::kAccessRequest)) {
    request = parseAccessRequest(payload);
  }
  if (!request) {
    logPrintf("[HOST] Pedido de acesso invalido\n");
    failConnection(std::move(channel));
    return;
  }
  logPrintf("[HOST] Pedido de acesso de '%s' (ID %s)\n", escapeForLog(request->displayName).c_str(),
            escapeForLog(request->computerId).c_str());

  bool control = false;
  if (passwordAdmits(*channel, request->proof)) {
    deps_.events->status("Acesso liberado pela senha");
    control = true;
  } else {
    deps_.events->status("Pedido de acesso recebido...");
    AccessAnswer answer;
    if (deps_.showAccessPrompt) {
      answer = deps_.showAccessPrompt(request->displayName, request->computerId);
    }
    if (!answer.accepted) {
      logPrintf("[HOST] Acesso recusado\n");
      sendRecord(*channel, uint8_t(MessageType::kAccessReply), buildAccessReply({false, false}));
      closeChannel(*channel);
      channel.reset();
      state_.store(HostState::kIdle);
      deps_.events->status("Acesso recusado.");
      deps_.events->sessionEnded(true);
      return;
    }
    control = answer.control;
  }
  request->proof.fill(0);

  if (!request->computerId.empty()) addRecent(request->computerId, request->displayName);
  if (!sendRecord(*channel, uint8_t(MessageType::kAccessReply),
                  buildAccessReply({true, control}))) {
    failConnection(std::move(channel));
    return;
  }
  logPrintf("[HOST] Acesso aceito (controle=%d)\n", control ? 1 : 0);
  deps_.events->sessionStarted(HostSessionStart{std::move(channel), control,
                                                displayTextFor(*request)});
}

void HostService::startHostSession(HostSessionStart start) {
  if (supervisor_.joinable()) supervisor_.join();
  setReceiveTimeout(*start.channel, 0);
  setKeepAlive(*start.channel, kKeepAliveIdleMs, kKeepAliveIntervalMs);
  control_.store(start.control);
  channel_ = std::move(start.channel);
  state_.store(HostState::kActive);
  running_.store(true);
  helloDone_.store(false);
  captureFinished_.store(false);
  monitorRequest_.store(-1);
  std::string status = "Sessao ativa: " + start.displayText;
  if (!start.control) status += " (somente visualizacao)";
  deps_.events->status(status);
  capture_ = std::thread([this] { hostCaptureThread(); });
  input_ = std::thread([this] { hostInputThread(); });
  supervisor_ = std::thread([this] { hostSupervisorThread(); });
}

bool HostService::sendChat(std::string_view utf8) {
  Bytes payload;
  if (!buildChatText(utf8, payload)) return false;
  std::lock_guard guard(channelLock_);
  // Before the hello exchange ends the viewer takes only HostHello; a chat line then would break
  // the handshake.
  if (!channel_ || state_.load() != HostState::kActive || !running_.load() || !helloDone_.load()) {
    return false;
  }
  return sendRecord(*channel_, uint8_t(MessageType::kChatText), payload);
}

void HostService::joinSession() {
  if (supervisor_.joinable()) supervisor_.join();
}

void HostService::setMonitorRect(const PixelRect& rect) {
  std::lock_guard guard(monitorLock_);
  monitorRect_ = rect;
}

PixelRect HostService::monitorRect() {
  std::lock_guard guard(monitorLock_);
  return monitorRect_;
}

void HostService::hostInputThread() {
  while (!helloDone_.load() && sessionRunning()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::unique_ptr<InputInjector> injector;
  if (helloDone_.load() && control_.load() && deps_.createInjector) {
    injector = deps_.createInjector();
  }
  RecordHeader header;
  Bytes payload;
  while (sessionRunning()) {
    if (!receiveRecord(*channel_, header, payload)) break;
    switch (MessageType(header.type)) {
      case MessageType::kMouseInput:
        if (!control_.load() || !injector) break;
        if (auto m = parseMouseInput(payload)) {
          injector->injectMouse(MouseEvent{m->x, m->y, m->buttons, m->wheelDelta, m->action},
                                monitorRect());
        }
        break;
      case MessageType::kKeyInput:
        if (!control_.load() || !injector) break;
        if (auto k = parseKeyInput(payload)) {
          injector->injectKey(KeyEvent{k->virtualKey, k->scanCode, k->down, k->extended});
        }
        break;
      case MessageType::kSelectMonitor:
        if (auto s = parseSelectMonitor(payload)) monitorRequest_.store(s->index);
        break;
      case MessageType::kChatText:
        if (auto text = parseChatText(payload)) deps_.events->chatText(std::move(*text));
        break;
      case MessageType::kPing:
        sendRecord(*channel_, uint8_t(MessageType::kPong), {});
        break;
      case MessageType::kBye:
        running_.store(false);
        break;
      default:
        break;
    }
  }
  running_.store(false);
}

void HostService::hostSupervisorThread() {
  while (sessionRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  running_.store(false);
  // Before ViewerReady the capture thread may be blocked receiving it: only closing wakes it.
  if (!helloDone_.load()) closeSocket(*channel_);
  // The loop sees the cleared flag within a pass; a send blocked on a viewer that stopped reading
  // would not, so after a grace period the socket is shut to wake it.
  for (int waited = 0; !captureFinished_.load() && waited < kCaptureGraceMs; waited += 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!captureFinished_.load()) closeSocket(*channel_);
  capture_.join();
  // The input thread would otherwise sit in its receive until the viewer's next message, which
  // a view-only viewer may never send; Bye first, then the shut-down wakes it.
  sendRecord(*channel_, uint8_t(MessageType::kBye), {});
  closeSocket(*channel_);
  input_.join();
  closeChannel(*channel_);
  {
    std::lock_guard guard(channelLock_);
    channel_.reset();
  }
  state_.store(HostState::kIdle);
  deps_.events->sessionEnded(false);
}

}  // namespace px
