// The record layer over buffers (one GCM call over header and payload, L as additional data) at
// the sizes sessions send, beside OpenSSL's own AES-256-GCM, and one whole handshake between two
// threads over a socket pair.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <sys/socket.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "net/channel_handshake.h"
#include "net/record_layer.h"

namespace px {
namespace {

const int64_t kSizes[] = {26, 1024, 64 * 1024, 1024 * 1024};

RecordKey benchKey() {
  AesKey32 raw;
  raw.fill(0x3c);
  RecordKey key;
  RecordKey::create(raw, key);
  return key;
}

void BM_RecordSeal(benchmark::State& state) {
  const size_t size = size_t(state.range(0));
  RecordKey key = benchKey();
  const Bytes payload(size, 0x5a);
  Bytes wire(sealedWireSize(size));
  for (auto _ : state) {
    if (!sealRecordInto(key, 7, payload, wire.data())) state.SkipWithError("seal");
    benchmark::DoNotOptimize(wire.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

// Opens a batch of records sealed with consecutive counters, then starts over with a fresh key
// (its set-up is timed too, a small share over the batch). The batch stays about cache-sized,
// as the anchor's single buffer does.
void BM_RecordOpen(benchmark::State& state) {
  const size_t size = size_t(state.range(0));
  const size_t batch = std::clamp<size_t>((256u << 10) / sealedWireSize(size), 4, 256);
  RecordKey sealer = benchKey();
  std::vector<Bytes> wires(batch);
  for (Bytes& wire : wires) sealRecord(sealer, 7, Bytes(size, 0x5a), wire);
  Bytes plain(kRecordHeaderSize + size);
  RecordKey opener = benchKey();
  size_t next = 0;
  for (auto _ : state) {
    if (next == batch) {
      opener = benchKey();
      next = 0;
    }
    const Bytes& wire = wires[next++];
    RecordHeader header;
    if (!openSealedRecord(opener, wire.data(), ByteView(wire).subspan(kRecordLengthSize),
                          plain.data(), header))
      state.SkipWithError("open");
    benchmark::DoNotOptimize(plain.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

// The anchor for opening: OpenSSL decrypting and verifying one buffer on a pre-keyed context.
void BM_OpenSslGcmOpenDirect(benchmark::State& state) {
  const size_t size = size_t(state.range(0));
  uint8_t key[32] = {}, iv[12] = {}, tag[16];
  Bytes sealed(size, 0x5a), out(size);
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  int len = 0;
  EVP_EncryptInit_ex(ctx, EVP_aes_256_gcm(), nullptr, key, iv);
  EVP_EncryptUpdate(ctx, sealed.data(), &len, sealed.data(), int(size));
  EVP_EncryptFinal_ex(ctx, tag, &len);
  EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_GET_TAG, 16, tag);
  EVP_CIPHER_CTX_free(ctx);
  ctx = EVP_CIPHER_CTX_new();
  EVP_DecryptInit_ex(ctx, EVP_aes_256_gcm(), nullptr, key, nullptr);
  for (auto _ : state) {
    EVP_DecryptInit_ex(ctx, nullptr, nullptr, nullptr, iv);
    EVP_DecryptUpdate(ctx, out.data(), &len, sealed.data(), int(size));
    EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_SET_TAG, 16, tag);
    if (EVP_DecryptFinal_ex(ctx, tag, &len) != 1) state.SkipWithError("tag");
    benchmark::DoNotOptimize(out.data());
  }
  EVP_CIPHER_CTX_free(ctx);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

// One whole handshake: the host side answers on its own thread, over an AF_UNIX socket pair.
void BM_Handshake(benchmark::State& state) {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) {
    state.SkipWithError("socketpair");
    return;
  }
  SecureChannel viewer(fds[0]), host(fds[1]);
  const P256KeyPair identity = P256KeyPair::generate();
  std::thread hostThread([&] {
    KeyPairSigner signer(identity);
    while (hostHandshake(host, signer)) {
    }
  });
  PublicKey64 proven{};
  for (auto _ : state)
    if (!viewerHandshake(viewer, proven)) state.SkipWithError("handshake");
  closeSocket(viewer);
  hostThread.join();
}

void sizes(benchmark::internal::Benchmark* b) {
  for (int64_t s : kSizes) b->Arg(s);
}

BENCHMARK(BM_RecordSeal)->Apply(sizes);
BENCHMARK(BM_RecordOpen)->Apply(sizes);
BENCHMARK(BM_OpenSslGcmOpenDirect)->Apply(sizes);
BENCHMARK(BM_Handshake)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace px
