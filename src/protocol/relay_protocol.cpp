#include "protocol/relay_protocol.h"

#include <algorithm>
#include <cstring>

#include "base/scoped_wipe.h"

namespace px {
namespace {

constexpr uint8_t kRegMagic[4] = {'P', 'X', 'R', '3'};
constexpr uint8_t kSealedMagic[4] = {'P', 'X', 'R', '4'};
constexpr std::string_view kRegLabel = "parvolex-relay-reg-v3";
constexpr std::string_view kRegOkLabel = "parvolex-relay-regok-v3";

template <size_t N>
void copyOut(ByteView from, size_t offset, std::array<uint8_t, N>& to) {
  std::memcpy(to.data(), from.data() + offset, N);
}

template <size_t N>
uint8_t* put(uint8_t* at, const std::array<uint8_t, N>& from) {
  std::memcpy(at, from.data(), N);
  return at + N;
}

void appendField(Bytes& out, std::string_view text) {
  const size_t length = std::min(text.size(), kMaxLoginField);
  out.push_back(uint8_t(length));
  appendBytes(out, asBytes(text.substr(0, length)));
}

// Reads one length-prefixed field at `pos`; false when it runs past the end.
bool readField(ByteView bytes, size_t& pos, std::string& out) {
  if (pos >= bytes.size()) return false;
  const size_t length = bytes[pos++];
  if (bytes.size() - pos < length) return false;
  out.assign(reinterpret_cast<const char*>(bytes.data() + pos), length);
  pos += length;
  return true;
}

}  // namespace

std::array<uint8_t, kRegistrationHelloSize> buildRegistrationHello(const RegistrationHello& hello) {
  std::array<uint8_t, kRegistrationHelloSize> out{};
  std::memcpy(out.data(), kRegMagic, 4);
  out[4] = kRegisterRequestType;
  put(put(out.data() + 5, hello.identity), hello.hostNonce);
  return out;
}

std::optional<RegistrationHello> parseRegistrationHello(ByteView bytes) {
  if (bytes.size() != kRegistrationHelloSize || std::memcmp(bytes.data(), kRegMagic, 4) != 0 ||
      bytes[4] != kRegisterRequestType) {
    return std::nullopt;
  }
  RegistrationHello hello;
  copyOut(bytes, 5, hello.identity);
  copyOut(bytes, 69, hello.hostNonce);
  return hello;
}

std::array<uint8_t, kRelayChallengeSize> buildRelayChallenge(const RelayChallenge& challenge) {
  std::array<uint8_t, kRelayChallengeSize> out{};
  put(put(out.data(), challenge.relayKey), challenge.relayNonce);
  return out;
}

std::optional<RelayChallenge> parseRelayChallenge(ByteView bytes) {
  if (bytes.size() != kRelayChallengeSize) return std::nullopt;
  RelayChallenge challenge;
  copyOut(bytes, 0, challenge.relayKey);
  copyOut(bytes, 64, challenge.relayNonce);
  return challenge;
}

std::optional<std::array<uint8_t, kConfirmationSize>> buildConfirmation(
    const RegistrationConfirmation& confirmation) {
  if (confirmation.id.size() != kComputerIdLength) return std::nullopt;
  std::array<uint8_t, kConfirmationSize> out{};
  std::memcpy(out.data(), confirmation.id.data(), kComputerIdLength);
  put(out.data() + kComputerIdLength, confirmation.signature);
  return out;
}

std::optional<RegistrationConfirmation> parseConfirmation(ByteView bytes) {
  if (bytes.size() != kConfirmationSize) return std::nullopt;
  RegistrationConfirmation confirmation;
  confirmation.id.assign(reinterpret_cast<const char*>(bytes.data()), kComputerIdLength);
  copyOut(bytes, kComputerIdLength, confirmation.signature);
  return confirmation;
}

bool isComputerId(std::string_view text) {
  return text.size() == kComputerIdLength &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

Digest32 registrationHash(const PublicKey64& relayKey, const PublicKey64& identity,
                          const Nonce32& hostNonce, const Nonce32& relayNonce) {
  return sha256({asBytes(kRegLabel), relayKey, identity, hostNonce, relayNonce});
}

Digest32 registrationOkHash(const PublicKey64& identity, const Nonce32& hostNonce,
                            std::string_view id) {
  return sha256({asBytes(kRegOkLabel), identity, hostNonce, asBytes(id)});
}

const char* refusalText(uint8_t code) {
  switch (code) {
    case kRefusalIdOffline: return "ID nao encontrado ou computador offline";
    case kRefusalTooManyAttempts: return "Muitas tentativas. Aguarde alguns minutos.";
    case kRefusalRejected: return "O relay recusou a conexao";
    default: return "Erro: resposta invalida do relay";
  }
}

std::array<uint8_t, kOpeningSize> buildSealedOpening(SealedType type) {
  return {kSealedMagic[0], kSealedMagic[1], kSealedMagic[2], kSealedMagic[3], uint8_t(type)};
}

bool isSealedType(uint8_t type) {
  return type == uint8_t(SealedType::kLogin) || type == uint8_t(SealedType::kTunnel) ||
         type == uint8_t(SealedType::kLogout);
}

Bytes buildSealedRequest(const PublicKey64& ephemeral, ByteView sealed) {
  Bytes out(kSealedRequestHeaderSize + sealed.size());
  put(out.data(), ephemeral);
  out[64] = uint8_t(sealed.size() >> 8);
  out[65] = uint8_t(sealed.size());
  if (!sealed.empty()) std::memcpy(out.data() + kSealedRequestHeaderSize, sealed.data(), sealed.size());
  return out;
}

std::optional<SealedRequestHeader> parseSealedRequestHeader(ByteView bytes) {
  if (bytes.size() != kSealedRequestHeaderSize) return std::nullopt;
  SealedRequestHeader header;
  copyOut(bytes, 0, header.ephemeral);
  header.sealedLength = uint16_t((bytes[64] << 8) | bytes[65]);
  return header;
}

Bytes buildSealedReply(ByteView sealed) {
  Bytes out(2 + sealed.size());
  out[0] = uint8_t(sealed.size() >> 8);
  out[1] = uint8_t(sealed.size());
  if (!sealed.empty()) std::memcpy(out.data() + 2, sealed.data(), sealed.size());
  return out;
}

std::array<uint8_t, kSealedAadSize> sealedAad(SealedType type, const Nonce32& relayNonce) {
  std::array<uint8_t, kSealedAadSize> aad{};
  std::memcpy(aad.data(), kSealedMagic, 4);
  aad[4] = uint8_t(type);
  put(aad.data() + 5, relayNonce);
  return aad;
}

bool deriveSealedKey(const SharedSecret& zLittleEndian, const Nonce32& relayNonce,
                     const PublicKey64& relayKey, const PublicKey64& ephemeral, RecordKey& out) {
  SharedSecret z;
  Digest32 prk{}, k{};
  AesKey32 aes;
  ScopedWipe wipeZ(z), wipePrk(prk), wipeK(k), wipeAes(aes);
  std::reverse_copy(zLittleEndian.begin(), zLittleEndian.end(), z.begin());
  const uint8_t one = 0x01;
  if (!hmacSha256(relayNonce, {z}, prk) ||
      !hmacSha256(prk, {asBytes(kSealedKeyLabel), relayKey, ephemeral, ByteView(&one, 1)}, k))
    return false;
  std::memcpy(aes.data(), k.data(), aes.size());
  return RecordKey::create(aes, out);
}

const char* accountStatusText(uint8_t status) {
  switch (status) {
    case kAccountBadCredentials: return "Login ou senha incorretos";
    case kAccountDisabled: return "Esta conta está desativada";
    case kAccountExpired: return "Esta conta expirou";
    case kAccountLocked: return "Conta bloqueada por senhas erradas. Tente de novo em alguns minutos.";
    case kAccountServiceDown: return "Servidor de login indisponível. Tente de novo em instantes.";
    case kAccountSessionExpired: return "Seu login venceu. Entre de novo.";
    case kAccountIdOffline: return "ID nao encontrado ou computador offline";
    case kAccountTooManyAttempts: return "Muitas tentativas. Aguarde alguns minutos.";
    default: return "Erro: resposta invalida do relay";
  }
}

Bytes buildLoginRequest(const LoginRequest& request) {
  Bytes out;
  out.reserve(4 + 3 * kMaxLoginField);
  appendField(out, request.login);
  appendField(out, request.password);
  out.push_back(request.remember);
  appendField(out, request.deviceLabel);
  return out;
}

std::optional<LoginRequest> parseLoginRequest(ByteView bytes) {
  LoginRequest request;
  size_t pos = 0;
  if (!readField(bytes, pos, request.login) || !readField(bytes, pos, request.password) ||
      pos >= bytes.size()) {
    secureWipe(request.password);
    return std::nullopt;
  }
  request.remember = bytes[pos++];
  if (readField(bytes, pos, request.deviceLabel) && pos == bytes.size()) return request;
  secureWipe(request.password);
  return std::nullopt;
}

Bytes buildLoginReply(const LoginReply& reply) {
  if (reply.status != kAccountOk) return Bytes{reply.status};
  const size_t nameLength = std::min(reply.displayName.size(), kMaxLoginField);
  Bytes out(kLoginReplyFixedSize + nameLength);
  out[0] = reply.status;
  put(out.data() + 1, reply.token);
  storeBe32(out.data() + 33, reply.lifetimeSeconds);
  out[37] = uint8_t(nameLength);
  if (nameLength) std::memcpy(out.data() + kLoginReplyFixedSize, reply.displayName.data(), nameLength);
  return out;
}

std::optional<LoginReply> parseLoginReply(ByteView bytes) {
  if (bytes.empty()) return std::nullopt;
  LoginReply reply;
  reply.status = bytes[0];
  if (reply.status != kAccountOk) return reply;
  if (bytes.size() < kLoginReplyFixedSize ||
      bytes.size() != kLoginReplyFixedSize + bytes[kLoginReplyFixedSize - 1]) {
    return std::nullopt;
  }
  copyOut(bytes, 1, reply.token);
  reply.lifetimeSeconds = loadBe32(bytes.data() + 33);
  reply.displayName.assign(reinterpret_cast<const char*>(bytes.data() + kLoginReplyFixedSize),
                           bytes.size() - kLoginReplyFixedSize);
  return reply;
}

Bytes buildTunnelRequest(const TunnelRequest& request) {
  Bytes out(request.token.begin(), request.token.end());
  appendBytes(out, asBytes(request.id));
  return out;
}

std::optional<TunnelRequest> parseTunnelRequest(ByteView bytes) {
  if (bytes.size() < sizeof(SessionToken)) return std::nullopt;
  TunnelRequest request;
  copyOut(bytes, 0, request.token);
  request.id.assign(reinterpret_cast<const char*>(bytes.data() + 32), bytes.size() - 32);
  return request;
}

Bytes buildTunnelReply(const TunnelReply& reply) {
  if (reply.status != kAccountOk) return Bytes{reply.status};
  Bytes out(kTunnelReplySize);
  out[0] = reply.status;
  put(out.data() + 1, reply.hostIdentity);
  return out;
}

Bytes buildLogoutRequest(const SessionToken& token) { return Bytes(token.begin(), token.end()); }

std::optional<SessionToken> parseLogoutRequest(ByteView bytes) {
  if (bytes.size() != sizeof(SessionToken)) return std::nullopt;
  SessionToken token;
  copyOut(bytes, 0, token);
  return token;
}

}  // namespace px
