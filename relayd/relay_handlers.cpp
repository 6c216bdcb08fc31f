#include "relayd/relay_handlers.h"

namespace px::relayd {

std::optional<PendingRegistration> beginRegistration(ByteView hello, const PublicKey64& relayKey,
                                                     Bytes& answer) {
  auto parsed = parseRegistrationHello(hello);
  if (!parsed) return std::nullopt;
  PendingRegistration pending{*parsed, {}};
  if (!randomBytes(pending.relayNonce)) return std::nullopt;
  answer.assign(1, kStatusChallenge);
  appendBytes(answer, buildRelayChallenge({relayKey, pending.relayNonce}));
  return pending;
}

bool verifyRegistrationProof(const PendingRegistration& pending, const PublicKey64& relayKey,
                             ByteView proof) {
  if (proof.size() != kHostProofSize) return false;
  Signature64 signature;
  std::copy(proof.begin(), proof.end(), signature.begin());
  const Digest32 hash = registrationHash(relayKey, pending.hello.identity, pending.hello.hostNonce,
                                         pending.relayNonce);
  return ecdsaVerify(pending.hello.identity, hash, signature);
}

bool buildRegisteredAnswer(const PendingRegistration& pending, const std::string& id,
                           const P256KeyPair& relayKey, Bytes& answer) {
  if (!isComputerId(id)) return false;
  RegistrationConfirmation confirmation{id, {}};
  if (!relayKey.sign(registrationOkHash(pending.hello.identity, pending.hello.hostNonce, id),
                     confirmation.signature)) {
    return false;
  }
  auto bytes = buildConfirmation(confirmation);
  if (!bytes) return false;
  answer.assign(1, kStatusRegistered);
  appendBytes(answer, *bytes);
  return true;
}

std::optional<SealedExchange> beginSealedExchange(ByteView opening, Bytes& answer) {
  if (opening.size() != kOpeningSize || !isSealedType(opening[4])) return std::nullopt;
  const auto expected = buildSealedOpening(SealedType(opening[4]));
  if (!std::equal(expected.begin(), expected.end(), opening.begin())) return std::nullopt;
  SealedExchange exchange;
  exchange.type = SealedType(opening[4]);
  if (!randomBytes(exchange.relayNonce)) return std::nullopt;
  answer.assign(1, kStatusNonce);
  appendBytes(answer, exchange.relayNonce);
  return exchange;
}

bool acceptableSealedLength(uint16_t length) {
  return length >= kGcmTagSize && length <= kMaxSealedRequestLength;
}

bool openSealedRequest(SealedExchange& exchange, const P256KeyPair& relayKey,
                       const SealedRequestHeader& header, ByteView sealed, Bytes& plaintext) {
  if (!acceptableSealedLength(uint16_t(sealed.size())) || sealed.size() != header.sealedLength) {
    return false;
  }
  SharedSecret z{};
  const bool derived = relayKey.agree(header.ephemeral, z) &&
                       deriveSealedKey(z, exchange.relayNonce, relayKey.publicKey(), header.ephemeral,
                                       exchange.key);
  secureWipe(z);
  return derived && gcmOpen(exchange.key, sealedAad(exchange.type, exchange.relayNonce), sealed, plaintext);
}

bool sealReply(SealedExchange& exchange, ByteView reply, Bytes& answer) {
  if (reply.empty() || reply.size() + kGcmTagSize > kMaxSealedReplyLength) return false;
  Bytes sealed;
  if (!gcmSeal(exchange.key, sealedAad(exchange.type, exchange.relayNonce), reply, sealed)) return false;
  answer.assign(1, kStatusSealedReply);
  appendBytes(answer, buildSealedReply(sealed));
  return true;
}

}  // namespace px::relayd
