#include "relay/registration_loop.h"

#include <chrono>
#include <thread>

#include "base/log.h"
#include "crypto/identity_key.h"
#include "protocol/relay_protocol.h"
#include "relay/relay_config.h"

namespace px {
namespace {

constexpr uint32_t kKeepAliveIdleMs = 30000;
constexpr uint32_t kKeepAliveIntervalMs = 10000;
constexpr uint32_t kRegisterTimeoutMs = 15000;

using Outcome = RegistrationOutcome;

class Attempt {
 public:
  explicit Attempt(const RegistrationContext& context) : ctx_(context) {}
  Outcome run();

 private:
  void setStatus(RelayStatus status) {
    if (ctx_.state->exchangeStatus(status)) ctx_.events->relayStatusChanged();
  }
  void setId(const std::string& id) {
    ctx_.state->setCurrentId(id);
    ctx_.events->relayStatusChanged();
  }
  Outcome refused(uint8_t code) {
    logPrintf("[RELAY] Registro recusado: %s\n", refusalText(code));
    return Outcome::kRefused;
  }
  Outcome waitForViewer();

  const RegistrationContext& ctx_;
  SecureChannel channel_;
};

Outcome Attempt::run() {
  const RelayConfig& config = relayConfig();
  setStatus(RelayStatus::kConnecting);
  logPrintf("[RELAY] Conectando a %s:%d...\n", config.primaryHost.c_str(), int(config.port));
  if (!connectRelay(channel_)) {
    logPrintf("[RELAY] Conexao falhou, tentando em 5s...\n");
    return Outcome::kRetry;
  }
  setKeepAlive(channel_, kKeepAliveIdleMs, kKeepAliveIntervalMs);
  setReceiveTimeout(channel_, kRegisterTimeoutMs);

  RegistrationHello hello;
  if (!ctx_.identity.publicKey(hello.identity)) {
    logPrintf("[RELAY] Chave de identidade indisponivel\n");
    return Outcome::kEnd;
  }
  uint8_t status = 0;
  if (!randomBytes(hello.hostNonce) || !sendExactly(channel_, buildRegistrationHello(hello)) ||
      !receiveExactly(channel_, MutableByteView(&status, 1))) {
    logPrintf("[RELAY] Relay nao respondeu ao registro, tentando em 5s...\n");
    return Outcome::kRetry;
  }
  if (status != kStatusChallenge) return refused(status);

  std::array<uint8_t, kRelayChallengeSize> challengeBytes{};
  if (!receiveExactly(channel_, challengeBytes)) return refused(kStatusChallenge);
  const RelayChallenge challenge = *parseRelayChallenge(challengeBytes);
  if (!relayKeyTrusted(challenge.relayKey)) {
    logPrintf("[RELAY] ALERTA: a chave do relay nao confere com a esperada; registro cancelado\n");
    return Outcome::kAlarm;
  }

  Signature64 proof{};
  const Digest32 hReg = registrationHash(challenge.relayKey, hello.identity, hello.hostNonce,
                                         challenge.relayNonce);
  if (!ctx_.identity.sign(hReg, proof) || !sendExactly(channel_, proof) ||
      !receiveExactly(channel_, MutableByteView(&status, 1))) {
    return Outcome::kRetry;
  }
  if (status != kStatusRegistered) return refused(status);
  std::array<uint8_t, kConfirmationSize> confirmationBytes{};
  if (!receiveExactly(channel_, confirmationBytes)) return refused(kStatusRegistered);
  const RegistrationConfirmation confirmation = *parseConfirmation(confirmationBytes);
  if (!isComputerId(confirmation.id) ||
      !ecdsaVerify(challenge.relayKey, registrationOkHash(hello.identity, hello.hostNonce, confirmation.id),
                   confirmation.signature)) {
    logPrintf("[RELAY] ALERTA: confirmacao de registro sem assinatura valida do relay\n");
    return Outcome::kAlarm;
  }

  logPrintf("[RELAY] Registrado com ID: %s\n", confirmation.id.c_str());
  setId(confirmation.id);
  setStatus(RelayStatus::kRegistered);
  return waitForViewer();
}

Outcome Attempt::waitForViewer() {
  // No limit: keep-alive tells a dead relay apart from a quiet one.
  setReceiveTimeout(channel_, 0);
  uint8_t notice = 0;
  ctx_.state->setWaitingChannel(&channel_);
  const bool received = ctx_.running->load() && receiveExactly(channel_, MutableByteView(&notice, 1));
  ctx_.state->setWaitingChannel(nullptr);
  if (received && notice == kViewerJoinedNotice) {
    logPrintf("[RELAY] Viewer conectou via ID\n");
    ctx_.events->viewerArrived(std::make_unique<SecureChannel>(std::move(channel_)));
    return Outcome::kViewerJoined;
  }
  logPrintf("[RELAY] Conexao com relay perdida, re-registrando...\n");
  setId(std::string());
  setStatus(RelayStatus::kConnecting);
  return Outcome::kLost;
}

}  // namespace

std::string RegistrationState::currentId() const {
  std::lock_guard guard(lock_);
  return id_;
}

void RegistrationState::setCurrentId(const std::string& id) {
  std::lock_guard guard(lock_);
  id_ = id;
}

void RegistrationState::interruptWait() {
  std::lock_guard guard(lock_);
  if (waiting_) closeSocket(*waiting_);
}

void RegistrationState::setWaitingChannel(SecureChannel* channel) {
  std::lock_guard guard(lock_);
  waiting_ = channel;
}

RegistrationState& registrationState() {
  static RegistrationState state;
  return state;
}

RegistrationIdentity deviceIdentity() {
  return {[](PublicKey64& out) { return identityPublicKey(out); },
          [](const Digest32& digest, Signature64& out) { return identitySign(digest, out); }};
}

void waitWhileRunning(const std::atomic<bool>& running, uint32_t milliseconds) {
  for (uint32_t slept = 0; slept < milliseconds && running.load(); slept += 100) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

RegistrationOutcome registerOnce(const RegistrationContext& context) {
  Attempt attempt(context);  // closes its connection on leaving, unless handed over
  return attempt.run();
}

void registrationLoop(const RegistrationContext& context) {
  while (context.running->load()) {
    switch (registerOnce(context)) {
      case Outcome::kEnd: return;
      case Outcome::kViewerJoined: break;
      case Outcome::kRetry: waitWhileRunning(*context.running, context.waits.retry); break;
      case Outcome::kRefused: waitWhileRunning(*context.running, context.waits.refused); break;
      case Outcome::kAlarm: waitWhileRunning(*context.running, context.waits.alarm); break;
      case Outcome::kLost: waitWhileRunning(*context.running, context.waits.lost); break;
    }
  }
}

}  // namespace px
