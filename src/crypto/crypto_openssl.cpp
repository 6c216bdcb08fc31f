// Crypto provider over OpenSSL's libcrypto (3.x EVP interfaces).
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/rand.h>

#include <algorithm>
#include <climits>

#include "crypto/crypto_provider.h"

namespace px {
namespace {

struct PkeyFree { void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); } };
struct PkeyCtxFree { void operator()(EVP_PKEY_CTX* p) const { EVP_PKEY_CTX_free(p); } };
struct CipherCtxFree { void operator()(EVP_CIPHER_CTX* p) const { EVP_CIPHER_CTX_free(p); } };
struct MdCtxFree { void operator()(EVP_MD_CTX* p) const { EVP_MD_CTX_free(p); } };
struct MacFree { void operator()(EVP_MAC* p) const { EVP_MAC_free(p); } };
struct MacCtxFree { void operator()(EVP_MAC_CTX* p) const { EVP_MAC_CTX_free(p); } };
struct BnFree { void operator()(BIGNUM* p) const { BN_clear_free(p); } };
struct BnCtxFree { void operator()(BN_CTX* p) const { BN_CTX_free(p); } };
struct PointFree { void operator()(EC_POINT* p) const { EC_POINT_free(p); } };
struct SigFree { void operator()(ECDSA_SIG* p) const { ECDSA_SIG_free(p); } };
struct ParamBldFree { void operator()(OSSL_PARAM_BLD* p) const { OSSL_PARAM_BLD_free(p); } };
struct ParamFree { void operator()(OSSL_PARAM* p) const { OSSL_PARAM_free(p); } };

using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using PkeyCtx = std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree>;
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;
using Bn = std::unique_ptr<BIGNUM, BnFree>;

constexpr char kCurveName[] = "prime256v1";

const EC_GROUP* p256Group() {
  static EC_GROUP* group = EC_GROUP_new_by_curve_name(NID_X9_62_prime256v1);
  return group;
}

// Builds an EVP_PKEY from an uncompressed point and, optionally, the private scalar.
Pkey makeEcKey(const PublicKey64& pub, const BIGNUM* priv) {
  uint8_t point[65];
  point[0] = 0x04;
  std::copy(pub.begin(), pub.end(), point + 1);
  std::unique_ptr<OSSL_PARAM_BLD, ParamBldFree> bld(OSSL_PARAM_BLD_new());
  if (!bld ||
      !OSSL_PARAM_BLD_push_utf8_string(bld.get(), OSSL_PKEY_PARAM_GROUP_NAME, kCurveName, 0) ||
      !OSSL_PARAM_BLD_push_octet_string(bld.get(), OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point) ||
      (priv && !OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_PRIV_KEY, priv)))
    return nullptr;
  std::unique_ptr<OSSL_PARAM, ParamFree> params(OSSL_PARAM_BLD_to_param(bld.get()));
  PkeyCtx ctx(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  EVP_PKEY* raw = nullptr;
  if (!params || !ctx || EVP_PKEY_fromdata_init(ctx.get()) <= 0 ||
      EVP_PKEY_fromdata(ctx.get(), &raw, priv ? EVP_PKEY_KEYPAIR : EVP_PKEY_PUBLIC_KEY,
                        params.get()) <= 0)
    return nullptr;
  Pkey key(raw);
  // Refuse points off the curve (and the point at infinity) before any use.
  PkeyCtx check(EVP_PKEY_CTX_new_from_pkey(nullptr, key.get(), nullptr));
  if (!check || EVP_PKEY_public_check(check.get()) != 1) return nullptr;
  return key;
}

bool exportPublic(EVP_PKEY* key, PublicKey64& out) {
  uint8_t point[65];
  size_t len = 0;
  if (!EVP_PKEY_get_octet_string_param(key, OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point, &len) ||
      len != 65 || point[0] != 0x04)
    return false;
  std::copy(point + 1, point + 65, out.begin());
  return true;
}

}  // namespace

struct P256KeyState {
  Pkey key;
};

struct GcmKeyState {
  CipherCtx encrypt;
  CipherCtx decrypt;
};

void GcmKeyStateDeleter::operator()(GcmKeyState* state) const { delete state; }

// ---- P-256 key pairs --------------------------------------------------------------------------

P256KeyPair::P256KeyPair() = default;
P256KeyPair::~P256KeyPair() = default;
P256KeyPair::P256KeyPair(P256KeyPair&&) noexcept = default;
P256KeyPair& P256KeyPair::operator=(P256KeyPair&&) noexcept = default;

P256KeyPair P256KeyPair::generate() {
  P256KeyPair pair;
  Pkey key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", kCurveName));
  if (!key || !exportPublic(key.get(), pair.public_)) return P256KeyPair();
  pair.state_ = std::make_unique<P256KeyState>(P256KeyState{std::move(key)});
  return pair;
}

P256KeyPair P256KeyPair::fromPrivateScalar(const PrivateScalar32& scalar) {
  const EC_GROUP* group = p256Group();
  Bn d(BN_bin2bn(scalar.data(), int(scalar.size()), nullptr));
  if (!group || !d || BN_is_zero(d.get()) || BN_cmp(d.get(), EC_GROUP_get0_order(group)) >= 0)
    return P256KeyPair();
  std::unique_ptr<BN_CTX, BnCtxFree> bnCtx(BN_CTX_new());
  std::unique_ptr<EC_POINT, PointFree> q(EC_POINT_new(group));
  uint8_t point[65];
  if (!bnCtx || !q || !EC_POINT_mul(group, q.get(), d.get(), nullptr, nullptr, bnCtx.get()) ||
      EC_POINT_point2oct(group, q.get(), POINT_CONVERSION_UNCOMPRESSED, point, sizeof point,
                         bnCtx.get()) != sizeof point)
    return P256KeyPair();
  P256KeyPair pair;
  std::copy(point + 1, point + 65, pair.public_.begin());
  Pkey key = makeEcKey(pair.public_, d.get());
  if (!key) return P256KeyPair();
  pair.state_ = std::make_unique<P256KeyState>(P256KeyState{std::move(key)});
  return pair;
}

bool P256KeyPair::exportPrivateScalar(PrivateScalar32& out) const {
  if (!state_) return false;
  BIGNUM* raw = nullptr;
  if (!EVP_PKEY_get_bn_param(state_->key.get(), OSSL_PKEY_PARAM_PRIV_KEY, &raw)) return false;
  Bn d(raw);
  return BN_bn2binpad(d.get(), out.data(), int(out.size())) == int(out.size());
}

bool P256KeyPair::sign(const Digest32& digest, Signature64& out) const {
  if (!state_) return false;
  PkeyCtx ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, state_->key.get(), nullptr));
  uint8_t der[80];
  size_t derLen = sizeof der;
  if (!ctx || EVP_PKEY_sign_init(ctx.get()) <= 0 ||
      EVP_PKEY_sign(ctx.get(), der, &derLen, digest.data(), digest.size()) <= 0)
    return false;
  const uint8_t* p = der;
  std::unique_ptr<ECDSA_SIG, SigFree> sig(d2i_ECDSA_SIG(nullptr, &p, long(derLen)));
  if (!sig) return false;
  const BIGNUM* r = ECDSA_SIG_get0_r(sig.get());
  const BIGNUM* s = ECDSA_SIG_get0_s(sig.get());
  return BN_bn2binpad(r, out.data(), 32) == 32 && BN_bn2binpad(s, out.data() + 32, 32) == 32;
}

bool P256KeyPair::agree(const PublicKey64& peer, SharedSecret& out) const {
  if (!state_) return false;
  Pkey peerKey = makeEcKey(peer, nullptr);
  if (!peerKey) return false;
  PkeyCtx ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, state_->key.get(), nullptr));
  SharedSecret bigEndian{};
  size_t len = bigEndian.size();
  if (!ctx || EVP_PKEY_derive_init(ctx.get()) <= 0 ||
      EVP_PKEY_derive_set_peer(ctx.get(), peerKey.get()) <= 0 ||
      EVP_PKEY_derive(ctx.get(), bigEndian.data(), &len) <= 0 || len != bigEndian.size()) {
    secureWipe(bigEndian);
    return false;
  }
  std::reverse_copy(bigEndian.begin(), bigEndian.end(), out.begin());
  secureWipe(bigEndian);
  return true;
}

bool ecdsaVerify(const PublicKey64& key, const Digest32& digest, const Signature64& signature) {
  Pkey pkey = makeEcKey(key, nullptr);
  if (!pkey) return false;
  std::unique_ptr<ECDSA_SIG, SigFree> sig(ECDSA_SIG_new());
  BIGNUM* r = BN_bin2bn(signature.data(), 32, nullptr);
  BIGNUM* s = BN_bin2bn(signature.data() + 32, 32, nullptr);
  if (!sig || !r || !s || !ECDSA_SIG_set0(sig.get(), r, s)) {
    BN_free(r);
    BN_free(s);
    return false;
  }
  uint8_t der[80];
  uint8_t* p = der;
  int derLen = i2d_ECDSA_SIG(sig.get(), &p);
  if (derLen <= 0) return false;
  PkeyCtx ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, pkey.get(), nullptr));
  return ctx && EVP_PKEY_verify_init(ctx.get()) > 0 &&
         EVP_PKEY_verify(ctx.get(), der, size_t(derLen), digest.data(), digest.size()) == 1;
}

// ---- Hashes, MAC, KDF, random -----------------------------------------------------------------

Digest32 sha256(std::initializer_list<ByteView> parts) {
  Digest32 out{};
  std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(EVP_MD_CTX_new());
  bool ok = ctx && EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr);
  for (ByteView part : parts)
    ok = ok && (part.empty() || EVP_DigestUpdate(ctx.get(), part.data(), part.size()));
  unsigned len = 0;
  ok = ok && EVP_DigestFinal_ex(ctx.get(), out.data(), &len) && len == out.size();
  if (!ok) out.fill(0);
  return out;
}

bool hmacSha256(ByteView key, std::initializer_list<ByteView> parts, Digest32& out) {
  static EVP_MAC* mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  if (!mac) return false;
  std::unique_ptr<EVP_MAC_CTX, MacCtxFree> ctx(EVP_MAC_CTX_new(mac));
  char digestName[] = "SHA256";
  OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digestName, 0),
      OSSL_PARAM_construct_end()};
  // An empty key is legal for HMAC; OpenSSL wants a non-null pointer for it.
  static const uint8_t kEmpty = 0;
  if (!ctx || !EVP_MAC_init(ctx.get(), key.empty() ? &kEmpty : key.data(), key.size(), params))
    return false;
  for (ByteView part : parts)
    if (!part.empty() && !EVP_MAC_update(ctx.get(), part.data(), part.size())) return false;
  size_t len = 0;
  return EVP_MAC_final(ctx.get(), out.data(), &len, out.size()) && len == out.size();
}

bool pbkdf2Sha256(ByteView password, ByteView salt, uint32_t iterations, Digest32& out) {
  if (iterations == 0 || iterations > uint32_t(INT_MAX)) return false;
  static const uint8_t kEmpty = 0;
  return PKCS5_PBKDF2_HMAC(reinterpret_cast<const char*>(password.empty() ? &kEmpty : password.data()),
                           int(password.size()), salt.empty() ? &kEmpty : salt.data(),
                           int(salt.size()), int(iterations), EVP_sha256(), int(out.size()),
                           out.data()) == 1;
}

bool randomBytes(MutableByteView out) {
  return out.empty() || RAND_bytes(out.data(), int(out.size())) == 1;
}

// ---- AES-256-GCM ------------------------------------------------------------------------------

namespace provider {

std::unique_ptr<GcmKeyState, GcmKeyStateDeleter> gcmKeyCreate(const AesKey32& key) {
  std::unique_ptr<GcmKeyState, GcmKeyStateDeleter> state(new GcmKeyState);
  state->encrypt.reset(EVP_CIPHER_CTX_new());
  state->decrypt.reset(EVP_CIPHER_CTX_new());
  // The key schedule is computed once here; each record then only sets its nonce.
  if (!state->encrypt || !state->decrypt ||
      !EVP_EncryptInit_ex(state->encrypt.get(), EVP_aes_256_gcm(), nullptr, key.data(), nullptr) ||
      !EVP_DecryptInit_ex(state->decrypt.get(), EVP_aes_256_gcm(), nullptr, key.data(), nullptr))
    return nullptr;
  return state;
}

bool gcmEncrypt(GcmKeyState& key, const std::array<uint8_t, kGcmNonceSize>& nonce, ByteView aad,
                ByteView plaintext, uint8_t* out) {
  EVP_CIPHER_CTX* ctx = key.encrypt.get();
  int len = 0;
  if (plaintext.size() > size_t(INT_MAX) || aad.size() > size_t(INT_MAX) ||
      !EVP_EncryptInit_ex(ctx, nullptr, nullptr, nullptr, nonce.data()) ||
      (!aad.empty() && !EVP_EncryptUpdate(ctx, nullptr, &len, aad.data(), int(aad.size()))) ||
      (!plaintext.empty() &&
       !EVP_EncryptUpdate(ctx, out, &len, plaintext.data(), int(plaintext.size()))) ||
      !EVP_EncryptFinal_ex(ctx, out + plaintext.size(), &len))
    return false;
  return EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_GET_TAG, int(kGcmTagSize),
                             out + plaintext.size()) == 1;
}

bool gcmDecrypt(GcmKeyState& key, const std::array<uint8_t, kGcmNonceSize>& nonce, ByteView aad,
                ByteView input, uint8_t* out) {
  EVP_CIPHER_CTX* ctx = key.decrypt.get();
  const size_t cipherLen = input.size() - kGcmTagSize;
  uint8_t tag[kGcmTagSize];
  std::copy(input.end() - kGcmTagSize, input.end(), tag);  // before an in-place decrypt overwrites
  int len = 0;
  if (cipherLen > size_t(INT_MAX) || aad.size() > size_t(INT_MAX) ||
      !EVP_DecryptInit_ex(ctx, nullptr, nullptr, nullptr, nonce.data()) ||
      (!aad.empty() && !EVP_DecryptUpdate(ctx, nullptr, &len, aad.data(), int(aad.size()))) ||
      (cipherLen && !EVP_DecryptUpdate(ctx, out, &len, input.data(), int(cipherLen))) ||
      !EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_SET_TAG, int(kGcmTagSize), tag))
    return false;
  uint8_t finalBlock[16];
  if (EVP_DecryptFinal_ex(ctx, finalBlock, &len) != 1) {
    // Never hand out plaintext that failed authentication.
    if (cipherLen) secureWipe(out, cipherLen);
    return false;
  }
  return true;
}

}  // namespace provider
}  // namespace px
