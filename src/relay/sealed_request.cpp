#include "relay/sealed_request.h"

#include "base/log.h"
#include "relay/known_host_link.h"
#include "relay/login_state.h"
#include "relay/relay_config.h"

namespace px {
namespace {

constexpr uint32_t kSealedTimeoutMs = 15000;
constexpr const char* kNoAnswer = "Erro: servidor relay nao respondeu";
constexpr const char* kCryptoFailed = "Erro: falha de criptografia";

bool fail(SealedFailure& failure, const char* text, bool alarm = false) {
  failure.error = text;
  failure.identityAlarm = alarm;
  return false;
}

bool receiveStatus(SecureChannel& channel, uint8_t& status) {
  return receiveExactly(channel, MutableByteView(&status, 1));
}

// Everything after the key is known: seal, send, receive, open.
bool exchange(SecureChannel& channel, SealedType type, const Nonce32& nonce, const EphemeralKey& ephemeral,
              RecordKey& key, ByteView request, Bytes& reply, SealedFailure& failure) {
  const auto aad = sealedAad(type, nonce);
  Bytes sealed;
  if (!gcmSeal(key, aad, request, sealed)) return fail(failure, kCryptoFailed);
  Bytes message = buildSealedRequest(ephemeral.publicKey(), sealed);
  uint8_t status = 0;
  if (!sendExactly(channel, message) || !receiveStatus(channel, status)) return fail(failure, kNoAnswer);
  if (status != kStatusSealedReply) return fail(failure, refusalText(status));

  uint8_t lengthBytes[2];
  if (!receiveExactly(channel, lengthBytes)) return fail(failure, kNoAnswer);
  const size_t length = size_t(lengthBytes[0]) << 8 | lengthBytes[1];
  Bytes sealedReply(length);
  if (length < kMinSealedReplyLength || length > kMaxSealedReplyLength ||
      !receiveExactly(channel, sealedReply) || !gcmOpen(key, aad, sealedReply, reply) || reply.empty()) {
    logPrintf("[RELAY] ALERTA: resposta lacrada nao veio do relay esperado\n");
    return fail(failure, "Erro: identidade do servidor relay nao confere", true);
  }
  return true;
}

}  // namespace

bool relaySealedRequest(SecureChannel& channel, SealedType type, ByteView request, Bytes& reply,
                        SealedFailure& failure) {
  failure = SealedFailure{};
  const RelayConfig& config = relayConfig();
  if (!config.pinnedKeyPresent) return fail(failure, "Erro: chave do servidor relay nao configurada");
  if (!connectRelay(channel)) return fail(failure, "Erro: servidor relay indisponivel");
  setReceiveTimeout(channel, kSealedTimeoutMs);

  uint8_t status = 0;
  if (!sendExactly(channel, buildSealedOpening(type)) || !receiveStatus(channel, status)) {
    return fail(failure, kNoAnswer);
  }
  if (status != kStatusNonce) return fail(failure, refusalText(status));
  Nonce32 nonce{};
  if (!receiveExactly(channel, nonce)) return fail(failure, kNoAnswer);

  EphemeralKey ephemeral = ecdhGenerate();
  SharedSecret z{};
  RecordKey key;
  const bool keyed = ephemeral.valid() && ecdhAgree(ephemeral, config.pinnedKey, z) &&
                     deriveSealedKey(z, nonce, config.pinnedKey, ephemeral.publicKey(), key);
  secureWipe(z);
  if (!keyed) return fail(failure, kCryptoFailed);
  return exchange(channel, type, nonce, ephemeral, key, request, reply, failure);
}

bool requestTunnel(const std::string& id, SecureChannel& channel, PublicKey64& hostIdentity,
                   TunnelFailure& failure) {
  failure = TunnelFailure{};
  const RelayConfig& config = relayConfig();
  logPrintf("[RELAY] Conectando a %s:%d para ID %s...\n", config.primaryHost.c_str(), int(config.port),
            id.c_str());
  TunnelRequest request;
  request.id = id;
  {
    AccountState& account = accountState();
    std::lock_guard guard(account.lock);
    if (!sessionValid(account.session, accountClockNow())) {
      failure.error = "Entre com o seu login para acessar";
      failure.loginRequired = true;
      return false;
    }
    request.token = account.session.token;
  }
  Bytes plaintext = buildTunnelRequest(request);
  secureWipe(request.token);
  Bytes reply;
  SealedFailure sealed;
  const bool exchanged = relaySealedRequest(channel, SealedType::kTunnel, plaintext, reply, sealed);
  secureWipe(plaintext);
  if (!exchanged) {
    failure.error = sealed.error;
    failure.identityAlarm = sealed.identityAlarm;
    return false;
  }
  if (reply[0] != kAccountOk) {
    failure.error = accountStatusText(reply[0]);
    failure.loginRequired = reply[0] == kAccountSessionExpired;
    return false;
  }
  if (reply.size() != kTunnelReplySize) {
    failure.error = "Erro: resposta invalida do relay";
    return false;
  }
  PublicKey64 key;
  std::copy(reply.begin() + 1, reply.end(), key.begin());
  if (!relayCheckKnownHost("relay:" + id, key)) {
    logPrintf("[RELAY] ALERTA: a chave do ID %s mudou\n", id.c_str());
    failure.error = "Erro: identidade do computador remoto nao confere";
    failure.identityAlarm = true;
    return false;
  }
  logPrintf("[RELAY] Tunel estabelecido para ID %s\n", id.c_str());
  hostIdentity = key;
  return true;
}

}  // namespace px
