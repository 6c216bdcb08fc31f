#include "net/channel_handshake.h"

#include "base/scoped_wipe.h"

namespace px {

bool deriveChannelKeys(SecureChannel& channel, const SharedSecret& z, const SessionHash& h,
                       HandshakeSide side) {
  RecordKey sendKey, receiveKey;
  if (!deriveSessionKeys(z, h, side, sendKey, receiveKey)) return false;
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
  ScopedWipe wipeZ(z);
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
  ScopedWipe wipeZ(z);
  return ecdhAgree(own, hello->viewerEphemeral, z) &&
         deriveChannelKeys(channel, z, h, HandshakeSide::kHost);
}

bool hostHandshake(SecureChannel& channel) {
  DeviceIdentitySigner signer;
  return hostHandshake(channel, signer);
}

}  // namespace px
