#include "crypto/handshake.h"

#include <algorithm>
#include <cstring>

#include "base/scoped_wipe.h"
#include "crypto/identity_key.h"

namespace px {
namespace {

constexpr char kClientMagic[4] = {'P', 'X', 'S', 'C'};
constexpr char kServerMagic[4] = {'P', 'X', 'S', 'S'};
constexpr std::string_view kHashLabel = "parvolex-hs-v1";
constexpr std::string_view kClientToServerLabel = "parvolex-c2s";
constexpr std::string_view kServerToClientLabel = "parvolex-s2c";
constexpr size_t kPrefixSize = 5;  // magic and version

bool hasPrefix(ByteView bytes, const char (&magic)[4], size_t size) {
  return bytes.size() == size && std::memcmp(bytes.data(), magic, 4) == 0 &&
         bytes[4] == kHandshakeVersion;
}

void writePrefix(uint8_t* out, const char (&magic)[4]) {
  std::memcpy(out, magic, 4);
  out[4] = kHandshakeVersion;
}

template <size_t N>
void copyOut(ByteView bytes, size_t offset, std::array<uint8_t, N>& out) {
  std::copy_n(bytes.begin() + offset, N, out.begin());
}

}  // namespace

bool KeyPairSigner::publicKey(PublicKey64& out) {
  if (!key_.valid()) return false;
  out = key_.publicKey();
  return true;
}

bool KeyPairSigner::sign(const Digest32& digest, Signature64& out) {
  return key_.sign(digest, out);
}

std::array<uint8_t, kClientHelloSize> buildClientHello(const ClientHello& hello) {
  std::array<uint8_t, kClientHelloSize> out{};
  writePrefix(out.data(), kClientMagic);
  std::copy(hello.viewerEphemeral.begin(), hello.viewerEphemeral.end(), out.begin() + kPrefixSize);
  return out;
}

std::array<uint8_t, kServerHelloSize> buildServerHello(const ServerHello& hello) {
  std::array<uint8_t, kServerHelloSize> out{};
  writePrefix(out.data(), kServerMagic);
  auto at = out.begin() + kPrefixSize;
  at = std::copy(hello.hostEphemeral.begin(), hello.hostEphemeral.end(), at);
  at = std::copy(hello.hostIdentity.begin(), hello.hostIdentity.end(), at);
  std::copy(hello.signature.begin(), hello.signature.end(), at);
  return out;
}

std::optional<ClientHello> parseClientHello(ByteView bytes) {
  if (!hasPrefix(bytes, kClientMagic, kClientHelloSize)) return std::nullopt;
  ClientHello hello;
  copyOut(bytes, kPrefixSize, hello.viewerEphemeral);
  return hello;
}

std::optional<ServerHello> parseServerHello(ByteView bytes) {
  if (!hasPrefix(bytes, kServerMagic, kServerHelloSize)) return std::nullopt;
  ServerHello hello;
  copyOut(bytes, kPrefixSize, hello.hostEphemeral);
  copyOut(bytes, kPrefixSize + 64, hello.hostIdentity);
  copyOut(bytes, kPrefixSize + 128, hello.signature);
  return hello;
}

SessionHash handshakeHash(const PublicKey64& viewerEphemeral, const PublicKey64& hostEphemeral,
                          const PublicKey64& hostIdentity) {
  return sha256({asBytes(kHashLabel), viewerEphemeral, hostEphemeral, hostIdentity});
}

bool deriveSessionKeys(const SharedSecret& z, const SessionHash& h, HandshakeSide side,
                       RecordKey& sendKey, RecordKey& receiveKey) {
  Digest32 clientToServer = sha256({asBytes(kClientToServerLabel), z, h});
  Digest32 serverToClient = sha256({asBytes(kServerToClientLabel), z, h});
  ScopedWipe wipeC2s(clientToServer), wipeS2c(serverToClient);
  const bool viewer = side == HandshakeSide::kViewer;
  return RecordKey::create(viewer ? clientToServer : serverToClient, sendKey) &&
         RecordKey::create(viewer ? serverToClient : clientToServer, receiveKey);
}

bool DeviceIdentitySigner::publicKey(PublicKey64& out) { return identityPublicKey(out); }

bool DeviceIdentitySigner::sign(const Digest32& digest, Signature64& out) {
  return identitySign(digest, out);
}

}  // namespace px
