// The relay's registration parsing: the host hello, the proof that follows it, and the client's
// parsers of the relay's challenge and confirmation.
#include <cstddef>
#include <cstdint>

#include "protocol/relay_protocol.h"
#include "relayd/relay_handlers.h"

namespace {

const px::P256KeyPair& relayKey() {
  static const px::P256KeyPair key = [] {
    px::PrivateScalar32 scalar{};
    scalar[31] = 7;
    return px::P256KeyPair::fromPrivateScalar(scalar);
  }();
  return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace px;
  const ByteView input(data, size);
  const size_t helloSize = std::min(size, kRegistrationHelloSize);
  Bytes answer;
  auto pending = relayd::beginRegistration(input.first(helloSize), relayKey().publicKey(), answer);
  if (pending) {
    const ByteView proof = input.subspan(helloSize);
    if (relayd::verifyRegistrationProof(*pending, relayKey().publicKey(), proof)) {
      relayd::buildRegisteredAnswer(*pending, "123456789", relayKey(), answer);
    }
  }
  if (auto challenge = parseRelayChallenge(input)) {
    volatile uint8_t sink = challenge->relayKey[0] ^ challenge->relayNonce[31];
    (void)sink;
  }
  if (auto confirmation = parseConfirmation(input)) {
    volatile bool digits = isComputerId(confirmation->id);
    (void)digits;
  }
  return 0;
}
