// The hello parsers, and the viewer's handling of a server hello: as it arrives, and re-signed
// by a known identity key so the steps after the signature check (agreement, key derivation)
// see hostile ephemeral keys too.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "net/channel_handshake.h"

namespace {

struct Fixture {
  px::EphemeralKey viewer = px::ecdhGenerate();
  px::P256KeyPair identity = px::P256KeyPair::generate();
  px::EphemeralKey validHostEphemeral = px::ecdhGenerate();
};

const Fixture& fixture() {
  static const Fixture f;
  return f;
}

void parseBoth(px::ByteView bytes) {
  volatile uint8_t sink = 0;
  if (auto client = px::parseClientHello(bytes)) sink = sink ^ client->viewerEphemeral[63];
  if (auto server = px::parseServerHello(bytes)) sink = sink ^ server->signature[63];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t flags = data[0];
  const px::ByteView rest(data + 1, size - 1);
  parseBoth(rest);
  if (rest.size() < px::kServerHelloSize) return 0;

  const Fixture& f = fixture();
  std::array<uint8_t, px::kServerHelloSize> hello{};
  std::copy_n(rest.begin(), hello.size(), hello.begin());
  if (flags & 1) {
    px::ServerHello fields;
    std::copy_n(hello.begin() + 5, 64, fields.hostEphemeral.begin());
    if (flags & 2) fields.hostEphemeral = f.validHostEphemeral.publicKey();
    fields.hostIdentity = f.identity.publicKey();
    const px::SessionHash h =
        px::handshakeHash(f.viewer.publicKey(), fields.hostEphemeral, fields.hostIdentity);
    f.identity.sign(h, fields.signature);
    hello = px::buildServerHello(fields);
  }
  px::SecureChannel channel;  // no socket: only the keys get installed
  px::PublicKey64 proven{};
  const bool ok = px::viewerFinishHandshake(channel, f.viewer, hello, proven);
  if (ok != channel.hasKeys()) __builtin_trap();
  if (ok && proven != f.identity.publicKey() && (flags & 1)) __builtin_trap();
  return 0;
}
