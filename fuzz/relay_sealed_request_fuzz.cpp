// The relay's sealed-request parsing: opening, request header, the sealed body (the first byte of
// the input picks whether it is sealed for real so the plaintext parsers are reached through the
// whole path), and the plaintext parsers of login, tunnel and logout.
#include <cstddef>
#include <cstdint>

#include "protocol/relay_protocol.h"
#include "relayd/relay_handlers.h"

namespace {

const px::P256KeyPair& relayKey() {
  static const px::P256KeyPair key = [] {
    px::PrivateScalar32 scalar{};
    scalar[31] = 9;
    return px::P256KeyPair::fromPrivateScalar(scalar);
  }();
  return key;
}

void parsePlaintext(px::SealedType type, px::ByteView plain) {
  using namespace px;
  switch (type) {
    case SealedType::kLogin:
      if (auto request = parseLoginRequest(plain)) {
        volatile size_t sink = request->login.size() + request->password.size() + request->deviceLabel.size();
        (void)sink;
      }
      break;
    case SealedType::kTunnel:
      if (auto request = parseTunnelRequest(plain)) {
        volatile bool sink = isComputerId(request->id);
        (void)sink;
      }
      break;
    case SealedType::kLogout:
      parseLogoutRequest(plain);
      break;
  }
  parseLoginReply(plain);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace px;
  if (size < 1 + kOpeningSize) return 0;
  const bool sealForReal = data[0] & 1;
  ByteView input(data + 1, size - 1);
  Bytes answer;
  auto exchange = relayd::beginSealedExchange(input.first(kOpeningSize), answer);
  input = input.subspan(kOpeningSize);
  if (!exchange) {
    parsePlaintext(SealedType::kLogin, input);
    parsePlaintext(SealedType::kTunnel, input);
    return 0;
  }
  if (sealForReal) {
    // The rest is a plaintext; seal it as a viewer would and run the whole relay path.
    EphemeralKey ephemeral = ecdhGenerate();
    SharedSecret z;
    RecordKey key;
    Bytes sealed;
    if (!ecdhAgree(ephemeral, relayKey().publicKey(), z) ||
        !deriveSealedKey(z, exchange->relayNonce, relayKey().publicKey(), ephemeral.publicKey(), key) ||
        !gcmSeal(key, sealedAad(exchange->type, exchange->relayNonce), input, sealed)) {
      return 0;
    }
    const Bytes message = buildSealedRequest(ephemeral.publicKey(), sealed);
    input = ByteView(message);
    auto header = parseSealedRequestHeader(input.first(kSealedRequestHeaderSize));
    Bytes plain;
    if (header && relayd::acceptableSealedLength(header->sealedLength) &&
        relayd::openSealedRequest(*exchange, relayKey(), *header, input.subspan(kSealedRequestHeaderSize), plain)) {
      parsePlaintext(exchange->type, plain);
      relayd::sealReply(*exchange, plain, answer);
    }
    return 0;
  }
  if (input.size() < kSealedRequestHeaderSize) return 0;
  auto header = parseSealedRequestHeader(input.first(kSealedRequestHeaderSize));
  Bytes plain;
  if (header && relayd::acceptableSealedLength(header->sealedLength) &&
      relayd::openSealedRequest(*exchange, relayKey(), *header, input.subspan(kSealedRequestHeaderSize), plain)) {
    parsePlaintext(exchange->type, plain);
  }
  return 0;
}
