// AES-256-GCM through our RecordKey against OpenSSL's EVP interface called directly, so the cost
// of our wrapper shows side by side with the library's own speed.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include "crypto/crypto.h"

namespace px {
namespace {

const int64_t kSizes[] = {26, 1024, 64 * 1024, 1024 * 1024};

void BM_GcmSeal(benchmark::State& state) {
  const size_t size = size_t(state.range(0));
  AesKey32 raw{};
  RecordKey key;
  RecordKey::create(raw, key);
  Bytes buffer(size + kGcmTagSize, 0x5a);
  const uint8_t aad[4] = {1, 2, 3, 4};
  for (auto _ : state) {
    if (!gcmSeal(key, aad, ByteView(buffer.data(), size), buffer.data())) state.SkipWithError("seal");
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void BM_GcmOpen(benchmark::State& state) {
  const size_t size = size_t(state.range(0));
  AesKey32 raw{};
  RecordKey sealer, opener;
  RecordKey::create(raw, sealer);
  RecordKey::create(raw, opener);
  Bytes plain(size, 0x5a), sealed(size + kGcmTagSize), out(size);
  const uint8_t aad[4] = {1, 2, 3, 4};
  for (auto _ : state) {
    state.PauseTiming();
    gcmSeal(sealer, aad, plain, sealed.data());
    state.ResumeTiming();
    if (!gcmOpen(opener, aad, sealed, out.data())) state.SkipWithError("open");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

// The anchor: OpenSSL's own one-shot GCM on a pre-keyed context.
void BM_OpenSslGcmSealDirect(benchmark::State& state) {
  const size_t size = size_t(state.range(0));
  uint8_t key[32] = {}, iv[12] = {}, tag[16];
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_EncryptInit_ex(ctx, EVP_aes_256_gcm(), nullptr, key, nullptr);
  Bytes buffer(size, 0x5a);
  int len = 0;
  for (auto _ : state) {
    EVP_EncryptInit_ex(ctx, nullptr, nullptr, nullptr, iv);
    EVP_EncryptUpdate(ctx, buffer.data(), &len, buffer.data(), int(size));
    EVP_EncryptFinal_ex(ctx, tag, &len);
    EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_GET_TAG, 16, tag);
    ++iv[11];
    benchmark::DoNotOptimize(tag);
  }
  EVP_CIPHER_CTX_free(ctx);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void sizes(benchmark::internal::Benchmark* b) {
  for (int64_t s : kSizes) b->Arg(s);
}

BENCHMARK(BM_GcmSeal)->Apply(sizes);
BENCHMARK(BM_GcmOpen)->Apply(sizes);
BENCHMARK(BM_OpenSslGcmSealDirect)->Apply(sizes);

}  // namespace
}  // namespace px
