#include "crypto/handshake.h"

#include <algorithm>
#include <cstring>

#include "crypto/identity_key.h"

namespace px {
namespace {

constexpr char kClientMagic[4] = {'P', 'X', 'S', 'C'};
constexpr char kServerMagic[4] = {'P', 'X', 'S', 'S'};
constexpr std::string_view kHashLabel = "parvolex-hs-v1";
constexpr std::string_view kClientToServerLabel = "parvolex-c2s";
constexpr std::string_view kServerToClientLabel = "parvolex-s2c";
constexpr size_t kPrefixSize = 5;  // magic and version

// Overwrites a secret however its scope is left.
template <typename Secret>
class WipeOnExit {
 public:
  explicit WipeOnExit(Secret& secret) : secret_(secret) {}
  ~WipeOnExit() { secureWipe(secret_); }
  WipeOnExit(const WipeOnExit&) = delete;
  WipeOnExit& operator=(const WipeOnExit&) = delete;

 private:
  Secret& secret_;
};

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

class DeviceIdentitySigner final : public HandshakeSigner {
 public:
  bool publicKey(PublicKey64& out) override { return identityPublicKey(out); }
  bool sign(const Digest32& digest, Signature64& out) override {
    return identitySign(digest, out);
  }
};

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

bool deriveChannelKeys(SecureChannel& channel, const SharedSecret& z, const SessionHash& h,
                       HandshakeSide side) {
  Digest32 clientToServer = sha256({asBytes(kClientToServerLabel), z, h});
  Digest32 serverToClient = sha256({asBytes(kServerToClientLabel), z, h});
  WipeOnExit wipeC2s(clientToServer), wipeS2c(serverToClient);
  const bool viewer = side == HandshakeSide::kViewer;
  RecordKey sendKey, receiveKey;
  if (!RecordKey::create(viewer ? clientToServer : serverToClient, sendKey) ||
      !RecordKey::create(viewer ? serverToClient : clientToServer, receiveKey))
    return false;
  channel.installKeys(std::move(sendKey), std::move(receiveKey), h);
  return true;
}

bool viewerFinishHandshake(SecureChannel& channel, const EphemeralKey& own,
                           const std::array<uint8_t, kServerHelloSize>& serverHello,
                           PublicKey64& hostIdentity) {
  const std::optional<ServerHello> hello = parseServerHello(serverHello);
  if (!hello || !own.valid()) return false;
  const SessionHash h = handshakeHash(own.publicKey(), hello->hostEphemeral, hello->hostIdentity);
  if (!ecdsaVerify(hello->hostIdentity, h, hello->signature)) return false;
  SharedSecret z{};
  WipeOnExit wipeZ(z);
  if (!ecdhAgree(own, hello->hostEphemeral, z) ||
      !deriveChannelKeys(channel, z, h, HandshakeSide::kViewer))
    return false;
  hostIdentity = hello->hostIdentity;
  return true;
}

bool viewerHandshake(SecureChannel& channel, PublicKey64& hostIdentity) {
  // The ephemeral key pair is destroyed (private key cleared) when this returns.
  const EphemeralKey own = ecdhGenerate();
  if (!own.valid()) return false;
  if (!sendExactly(channel, buildClientHello(ClientHello{own.publicKey()}))) return false;
  std::array<uint8_t, kServerHelloSize> serverHello{};
  if (!receiveExactly(channel, serverHello)) return false;
  return viewerFinishHandshake(channel, own, serverHello, hostIdentity);
}

bool hostHandshake(SecureChannel& channel, HandshakeSigner& signer) {
  std::array<uint8_t, kClientHelloSize> clientHello{};
  if (!receiveExactly(channel, clientHello)) return false;
  // A peer of another magic or version gets nothing back.
  const std::optional<ClientHello> hello = parseClientHello(clientHello);
  if (!hello) return false;
  const EphemeralKey own = ecdhGenerate();
  if (!own.valid()) return false;
  ServerHello reply;
  reply.hostEphemeral = own.publicKey();
  if (!signer.publicKey(reply.hostIdentity)) return false;
  const SessionHash h = handshakeHash(hello->viewerEphemeral, reply.hostEphemeral,
                                      reply.hostIdentity);
  if (!signer.sign(h, reply.signature)) return false;
  if (!sendExactly(channel, buildServerHello(reply))) return false;
  SharedSecret z{};
  WipeOnExit wipeZ(z);
  return ecdhAgree(own, hello->viewerEphemeral, z) &&
         deriveChannelKeys(channel, z, h, HandshakeSide::kHost);
}

bool hostHandshake(SecureChannel& channel) {
  DeviceIdentitySigner signer;
  return hostHandshake(channel, signer);
}

}  // namespace px
