// Crypto provider over CNG (bcrypt). Algorithm providers are opened once per process; every key
// is a bcrypt key object owned by the caller's P256KeyPair or RecordKey. Deriving a public point
// from a scalar and the agreement itself are in ecdh_cng.cpp (ecdh_gcrypt_win.cpp for Wine).
#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/log.h"
#include "base/scoped_wipe.h"
#include "crypto/cng_ecc_win.h"
#include "crypto/crypto_provider.h"

namespace px {
namespace {

using namespace cng;

// The order n of the P-256 group, big-endian: private scalars must lie in [1, n).
constexpr PrivateScalar32 kP256Order = {
    0xff, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
    0xbc, 0xe6, 0xfa, 0xad, 0xa7, 0x17, 0x9e, 0x84, 0xf3, 0xb9, 0xca, 0xc2, 0xfc, 0x63, 0x25, 0x51};

bool ok(NTSTATUS status) { return BCRYPT_SUCCESS(status); }

// CNG takes input buffers through non-const pointers without writing to them.
PUCHAR in(const uint8_t* p) { return const_cast<PUCHAR>(p); }

bool fitsUlong(size_t n) { return n <= ULONG_MAX; }

// The process-wide algorithm providers. A null handle means that provider failed to open, and
// every operation needing it fails.
struct Providers {
  BcryptAlg ecdh;
  BcryptAlg ecdsa;
  BcryptAlg sha256;
  BcryptAlg hmacSha256;
  BcryptAlg aesGcm;
};

BcryptAlg openProvider(LPCWSTR algorithm, ULONG flags, const char* label) {
  BCRYPT_ALG_HANDLE handle = nullptr;
  const NTSTATUS status = BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, flags);
  if (!ok(status)) {
    logPrintf("[Parvolex] Provedor CNG %s indisponivel (0x%08lx)\n", label,
              static_cast<unsigned long>(status));
    return BcryptAlg();
  }
  return BcryptAlg(handle);
}

Providers openProviders() {
  Providers p;
  p.ecdh = openProvider(BCRYPT_ECDH_P256_ALGORITHM, 0, "ECDH_P256");
  p.ecdsa = openProvider(BCRYPT_ECDSA_P256_ALGORITHM, 0, "ECDSA_P256");
  p.sha256 = openProvider(BCRYPT_SHA256_ALGORITHM, 0, "SHA256");
  p.hmacSha256 = openProvider(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG, "HMAC-SHA256");
  p.aesGcm = openProvider(BCRYPT_AES_ALGORITHM, 0, "AES");
  if (p.aesGcm) {
    static const wchar_t kGcm[] = BCRYPT_CHAIN_MODE_GCM;
    const NTSTATUS status = BCryptSetProperty(p.aesGcm.get(), BCRYPT_CHAINING_MODE,
                                              reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(kGcm)),
                                              sizeof kGcm, 0);
    if (!ok(status)) {
      logPrintf("[Parvolex] Modo AES-GCM indisponivel (0x%08lx)\n",
                static_cast<unsigned long>(status));
      p.aesGcm.reset();
    }
  }
  return p;
}

// Opened on first use; C++ static initialisation makes the one-time open thread-safe.
const Providers& providers() {
  static const Providers opened = openProviders();
  return opened;
}

bool hasEccHeader(const uint8_t* blob, ULONG magic) {
  return loadLe32(blob) == magic && loadLe32(blob + 4) == kP256Coord;
}

bool isZero(const PublicKey64& point) {
  return std::all_of(point.begin(), point.end(), [](uint8_t b) { return b == 0; });
}

}  // namespace

namespace cng {

BCRYPT_ALG_HANDLE ecdhProvider() { return providers().ecdh.get(); }

void writeEccHeader(uint8_t* blob, ULONG magic) {
  storeLe32(blob, magic);
  storeLe32(blob + 4, kP256Coord);
}

BcryptKey importPublic(BCRYPT_ALG_HANDLE alg, ULONG magic, const PublicKey64& point) {
  if (!alg) return BcryptKey();
  uint8_t blob[kEccPublicBlobSize];
  writeEccHeader(blob, magic);
  std::copy(point.begin(), point.end(), blob + kEccBlobHeader);
  BCRYPT_KEY_HANDLE handle = nullptr;
  if (!ok(BCryptImportKeyPair(alg, nullptr, BCRYPT_ECCPUBLIC_BLOB, &handle, blob, sizeof blob, 0)))
    return BcryptKey();
  return BcryptKey(handle);
}

bool exportPublic(BCRYPT_KEY_HANDLE key, ULONG magic, PublicKey64& out) {
  uint8_t blob[kEccPublicBlobSize];
  ULONG len = 0;
  if (!ok(BCryptExportKey(key, nullptr, BCRYPT_ECCPUBLIC_BLOB, blob, sizeof blob, &len, 0)) ||
      len != sizeof blob || !hasEccHeader(blob, magic))
    return false;
  std::copy(blob + kEccBlobHeader, blob + sizeof blob, out.begin());
  return true;
}

bool exportPrivate(BCRYPT_KEY_HANDLE key, EccPrivateBlob& blob) {
  ULONG len = 0;
  return ok(BCryptExportKey(key, nullptr, BCRYPT_ECCPRIVATE_BLOB, blob.data(), ULONG(blob.size()),
                            &len, 0)) &&
         len == blob.size() && hasEccHeader(blob.data(), kEcdhPrivateMagic);
}

BcryptKey importPrivate(BCRYPT_ALG_HANDLE alg, const EccPrivateBlob& blob, ULONG flags) {
  if (!alg) return BcryptKey();
  BCRYPT_KEY_HANDLE handle = nullptr;
  if (!ok(BCryptImportKeyPair(alg, nullptr, BCRYPT_ECCPRIVATE_BLOB, &handle, in(blob.data()),
                              ULONG(blob.size()), flags)))
    return BcryptKey();
  return BcryptKey(handle);
}

}  // namespace cng

// The private key lives in the agreement provider; signing re-imports it as a signing key.
struct P256KeyState {
  BcryptKey key;
};

struct GcmKeyState {
  BcryptKey key;
};

void GcmKeyStateDeleter::operator()(GcmKeyState* state) const { delete state; }

// ---- P-256 key pairs --------------------------------------------------------------------------

P256KeyPair::P256KeyPair() = default;
P256KeyPair::~P256KeyPair() = default;
P256KeyPair::P256KeyPair(P256KeyPair&&) noexcept = default;
P256KeyPair& P256KeyPair::operator=(P256KeyPair&&) noexcept = default;

P256KeyPair P256KeyPair::generate() {
  BCRYPT_ALG_HANDLE alg = providers().ecdh.get();
  BCRYPT_KEY_HANDLE handle = nullptr;
  if (!alg || !ok(BCryptGenerateKeyPair(alg, &handle, 256, 0))) return P256KeyPair();
  BcryptKey key(handle);
  P256KeyPair pair;
  if (!ok(BCryptFinalizeKeyPair(key.get(), 0)) ||
      !exportPublic(key.get(), kEcdhPublicMagic, pair.public_))
    return P256KeyPair();
  pair.state_ = std::make_unique<P256KeyState>(P256KeyState{std::move(key)});
  return pair;
}

P256KeyPair P256KeyPair::fromPrivateScalar(const PrivateScalar32& scalar) {
  const bool zero = std::all_of(scalar.begin(), scalar.end(), [](uint8_t b) { return b == 0; });
  if (zero || !std::lexicographical_compare(scalar.begin(), scalar.end(), kP256Order.begin(),
                                            kP256Order.end()))
    return P256KeyPair();
  BcryptKey key = importScalar(scalar);
  P256KeyPair pair;
  if (!key || !exportPublic(key.get(), kEcdhPublicMagic, pair.public_) || isZero(pair.public_))
    return P256KeyPair();
  pair.state_ = std::make_unique<P256KeyState>(P256KeyState{std::move(key)});
  return pair;
}

bool P256KeyPair::exportPrivateScalar(PrivateScalar32& out) const {
  if (!state_) return false;
  EccPrivateBlob blob;
  ScopedWipe wipe(blob);
  if (!exportPrivate(state_->key.get(), blob)) return false;
  std::copy_n(blob.begin() + kBlobDOffset, kP256Coord, out.begin());
  return true;
}

bool P256KeyPair::sign(const Digest32& digest, Signature64& out) const {
  if (!state_) return false;
  EccPrivateBlob blob;
  BcryptKey signer;
  {
    ScopedWipe wipe(blob);
    if (!exportPrivate(state_->key.get(), blob)) return false;
    writeEccHeader(blob.data(), kEcdsaPrivateMagic);
    signer = importPrivate(providers().ecdsa.get(), blob, 0);
  }
  if (!signer) return false;
  Signature64 made;
  ULONG len = 0;
  if (!ok(BCryptSignHash(signer.get(), nullptr, in(digest.data()), ULONG(digest.size()),
                         made.data(), ULONG(made.size()), &len, 0)) ||
      len != made.size())
    return false;
  out = made;
  return true;
}

bool P256KeyPair::agree(const PublicKey64& peer, SharedSecret& out) const {
  if (!state_) return false;
  SharedSecret derived{};
  ScopedWipe wipe(derived);
  if (!agreeRaw(state_->key.get(), peer, derived)) return false;
  out = derived;
  return true;
}

bool ecdsaVerify(const PublicKey64& key, const Digest32& digest, const Signature64& signature) {
  BcryptKey verifier = importPublic(providers().ecdsa.get(), kEcdsaPublicMagic, key);
  return verifier &&
         BCryptVerifySignature(verifier.get(), nullptr, in(digest.data()), ULONG(digest.size()),
                               in(signature.data()), ULONG(signature.size()), 0) == 0;
}

// ---- Hashes, MAC, KDF, random -----------------------------------------------------------------

namespace {

// One hash or HMAC object over the concatenation of `parts`; `secret` is the HMAC key (empty
// for a plain hash).
bool hashParts(BCRYPT_ALG_HANDLE alg, ByteView secret, std::initializer_list<ByteView> parts,
               Digest32& out) {
  // An empty HMAC key is legal; the provider still wants a non-null pointer for it.
  static uint8_t empty = 0;
  if (!alg || !fitsUlong(secret.size())) return false;
  BCRYPT_HASH_HANDLE raw = nullptr;
  if (!ok(BCryptCreateHash(alg, &raw, nullptr, 0, secret.empty() ? &empty : in(secret.data()),
                           ULONG(secret.size()), 0)))
    return false;
  BcryptHash hash(raw);
  for (ByteView part : parts) {
    if (part.empty()) continue;
    if (!fitsUlong(part.size()) ||
        !ok(BCryptHashData(hash.get(), in(part.data()), ULONG(part.size()), 0)))
      return false;
  }
  Digest32 digest;
  if (!ok(BCryptFinishHash(hash.get(), digest.data(), ULONG(digest.size()), 0))) return false;
  out = digest;
  return true;
}

}  // namespace

Digest32 sha256(std::initializer_list<ByteView> parts) {
  Digest32 out{};
  if (!hashParts(providers().sha256.get(), {}, parts, out)) out.fill(0);
  return out;
}

bool hmacSha256(ByteView key, std::initializer_list<ByteView> parts, Digest32& out) {
  return hashParts(providers().hmacSha256.get(), key, parts, out);
}

bool pbkdf2Sha256(ByteView password, ByteView salt, uint32_t iterations, Digest32& out) {
  static uint8_t empty = 0;
  BCRYPT_ALG_HANDLE prf = providers().hmacSha256.get();
  if (!prf || iterations == 0 || iterations > uint32_t(INT_MAX) || !fitsUlong(password.size()) ||
      !fitsUlong(salt.size()))
    return false;
  Digest32 derived;
  if (!ok(BCryptDeriveKeyPBKDF2(prf, password.empty() ? &empty : in(password.data()),
                                ULONG(password.size()), salt.empty() ? &empty : in(salt.data()),
                                ULONG(salt.size()), iterations, derived.data(),
                                ULONG(derived.size()), 0)))
    return false;
  out = derived;
  secureWipe(derived);
  return true;
}

bool randomBytes(MutableByteView out) {
  return out.empty() ||
         (fitsUlong(out.size()) && ok(BCryptGenRandom(nullptr, out.data(), ULONG(out.size()),
                                                      BCRYPT_USE_SYSTEM_PREFERRED_RNG)));
}

// ---- AES-256-GCM ------------------------------------------------------------------------------

namespace provider {
namespace {

// Each record is one call: chained GCM calls are not reliable on every CNG implementation.
struct GcmCall {
  BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
  std::array<uint8_t, kGcmNonceSize> nonce;
  uint8_t tag[kGcmTagSize];

  GcmCall(const GcmCall&) = delete;  // `info` points into this object
  GcmCall& operator=(const GcmCall&) = delete;
  GcmCall(const std::array<uint8_t, kGcmNonceSize>& n, ByteView aad) : nonce(n) {
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = nonce.data();
    info.cbNonce = ULONG(nonce.size());
    info.pbAuthData = aad.empty() ? nullptr : in(aad.data());
    info.cbAuthData = ULONG(aad.size());
    info.pbTag = tag;
    info.cbTag = ULONG(sizeof tag);
  }
};

}  // namespace

std::unique_ptr<GcmKeyState, GcmKeyStateDeleter> gcmKeyCreate(const AesKey32& key) {
  BCRYPT_ALG_HANDLE alg = providers().aesGcm.get();
  BCRYPT_KEY_HANDLE handle = nullptr;
  if (!alg || !ok(BCryptGenerateSymmetricKey(alg, &handle, nullptr, 0, in(key.data()),
                                             ULONG(key.size()), 0)))
    return nullptr;
  std::unique_ptr<GcmKeyState, GcmKeyStateDeleter> state(new GcmKeyState);
  state->key.reset(handle);
  return state;
}

bool gcmEncrypt(GcmKeyState& key, const std::array<uint8_t, kGcmNonceSize>& nonce, ByteView aad,
                ByteView plaintext, uint8_t* out) {
  const size_t n = plaintext.size();
  if (!fitsUlong(n + kGcmTagSize) || !fitsUlong(aad.size())) return false;
  GcmCall call(nonce, aad);
  // With nothing to encrypt, `out` (room for the tag) stands in for both buffers.
  PUCHAR input = n ? in(plaintext.data()) : out;
  ULONG written = 0;
  if (!ok(BCryptEncrypt(key.key.get(), input, ULONG(n), &call.info, nullptr, 0, out, ULONG(n),
                        &written, 0)) ||
      written != n)
    return false;
  std::memcpy(out + n, call.tag, kGcmTagSize);
  return true;
}

bool gcmDecrypt(GcmKeyState& key, const std::array<uint8_t, kGcmNonceSize>& nonce, ByteView aad,
                ByteView input, uint8_t* out) {
  const size_t cipherLen = input.size() - kGcmTagSize;
  if (!fitsUlong(input.size()) || !fitsUlong(aad.size())) return false;
  GcmCall call(nonce, aad);
  // Taken before an in-place decrypt can overwrite it.
  std::memcpy(call.tag, input.data() + cipherLen, kGcmTagSize);
  // An empty record may come with a null `out`; the provider gets a real buffer either way.
  uint8_t none = 0;
  PUCHAR cipher = cipherLen ? in(input.data()) : &none;
  PUCHAR plain = cipherLen ? out : &none;
  ULONG written = 0;
  if (!ok(BCryptDecrypt(key.key.get(), cipher, ULONG(cipherLen), &call.info, nullptr, 0, plain,
                        ULONG(cipherLen), &written, 0)) ||
      written != cipherLen) {
    // Never hand out plaintext that failed authentication.
    if (cipherLen) secureWipe(out, cipherLen);
    return false;
  }
  return true;
}

}  // namespace provider
}  // namespace px
