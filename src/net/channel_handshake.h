// The handshake run over a fresh tunnel: the two hello messages on the channel, then both record
// keys and the session hash installed into it. Message formats and key derivation are in
// crypto/handshake.h.
#pragma once

#include <array>

#include "crypto/handshake.h"
#include "net/secure_channel.h"

namespace px {

// Wipes its intermediate keys; installs both keys and H only when both could be made.
bool deriveChannelKeys(SecureChannel& channel, const SharedSecret& z, const SessionHash& h,
                       HandshakeSide side);

// The viewer's side. On success `hostIdentity` is the key the host proved; the caller compares it
// with the relay's answer for the ID.
bool viewerHandshake(SecureChannel& channel, PublicKey64& hostIdentity);
// The host's side, signed with the device identity key.
bool hostHandshake(SecureChannel& channel);
bool hostHandshake(SecureChannel& channel, HandshakeSigner& signer);

// The viewer's steps after its client hello went out: checks the server hello, verifies the
// signature, agrees and installs the keys. `own` is the viewer's ephemeral key.
bool viewerFinishHandshake(SecureChannel& channel, const EphemeralKey& own,
                           const std::array<uint8_t, kServerHelloSize>& serverHello,
                           PublicKey64& hostIdentity);

}  // namespace px
