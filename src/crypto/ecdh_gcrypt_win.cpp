// The two P-256 steps of cng_ecc_win.h through libgcrypt, for the Wine test build: Wine's CNG
// neither derives a public point from a bare scalar nor hands out an agreed secret. Keys stay CNG
// key objects (generation, export, signing work there); only the scalar multiplications are here.
#include <algorithm>
#include <cstring>

#include "base/log.h"
#include "base/scoped_wipe.h"
#include "crypto/cng_ecc_win.h"
#include "crypto/gcrypt_handles.h"

namespace px::cng {
namespace {

bool gcryptReady() {
  static const bool ready = [] {
    if (!gcry_check_version(GCRYPT_VERSION)) {
      logPrintf("[Parvolex] libgcrypt %s ou mais nova nao encontrada\n", GCRYPT_VERSION);
      return false;
    }
    // No locked pool: scalars are flagged secret (constant-time paths) and wiped on release.
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    return true;
  }();
  return ready;
}

GcryCtx p256Context() {
  gcry_ctx_t raw = nullptr;
  if (!gcryptReady() || gcry_mpi_ec_new(&raw, nullptr, "NIST P-256") != 0) return GcryCtx();
  return GcryCtx(raw);
}

GcryMpi unsignedNumber(const uint8_t* bytes, size_t size) {
  gcry_mpi_t raw = nullptr;
  if (gcry_mpi_scan(&raw, GCRYMPI_FMT_USG, bytes, size, nullptr) != 0) return GcryMpi();
  return GcryMpi(raw);
}

// Writes `number` as kP256Coord bytes, big-endian; false when it does not fit.
bool storeCoordinate(gcry_mpi_t number, uint8_t* out) {
  std::array<uint8_t, kP256Coord> buffer{};
  ScopedWipe wipe(buffer);
  size_t written = 0;
  if (gcry_mpi_print(GCRYMPI_FMT_USG, buffer.data(), buffer.size(), &written, number) != 0 ||
      written > buffer.size())
    return false;
  std::memset(out, 0, buffer.size() - written);
  std::memcpy(out + buffer.size() - written, buffer.data(), written);
  return true;
}

// scalar·base in affine coordinates; false at infinity.
bool multiply(gcry_ctx_t ctx, const uint8_t* scalar, gcry_mpi_point_t base, GcryMpi& x,
              GcryMpi& y) {
  GcryMpi d = unsignedNumber(scalar, kP256Coord);
  GcryPoint product(gcry_mpi_point_new(0));
  x.reset(gcry_mpi_new(0));
  y.reset(gcry_mpi_new(0));
  if (!d || !product || !x || !y) return false;
  gcry_mpi_set_flag(d.get(), GCRYMPI_FLAG_SECURE);
  gcry_mpi_ec_mul(product.get(), d.get(), base, ctx);
  return gcry_mpi_ec_get_affine(x.get(), y.get(), product.get(), ctx) == 0;
}

// `peer` as a curve point: coordinates below p, on the curve. P-256's cofactor is 1, so every
// such point is in the group, as CNG's own import requires.
GcryPoint curvePoint(gcry_ctx_t ctx, const PublicKey64& peer) {
  GcryMpi x = unsignedNumber(peer.data(), kP256Coord);
  GcryMpi y = unsignedNumber(peer.data() + kP256Coord, kP256Coord);
  GcryMpi p(gcry_mpi_ec_get_mpi("p", ctx, 1));
  GcryMpi one(gcry_mpi_set_ui(nullptr, 1));
  GcryPoint point(gcry_mpi_point_new(0));
  if (!x || !y || !p || !one || !point || gcry_mpi_cmp(x.get(), p.get()) >= 0 ||
      gcry_mpi_cmp(y.get(), p.get()) >= 0)
    return GcryPoint();
  gcry_mpi_point_set(point.get(), x.get(), y.get(), one.get());
  if (!gcry_mpi_ec_curve_point(point.get(), ctx)) return GcryPoint();
  return point;
}

}  // namespace

BcryptKey importScalar(const PrivateScalar32& scalar) {
  GcryCtx ctx = p256Context();
  if (!ctx) return BcryptKey();
  GcryPoint generator(gcry_mpi_ec_get_point("g", ctx.get(), 1));
  GcryMpi x, y;
  if (!generator || !multiply(ctx.get(), scalar.data(), generator.get(), x, y)) return BcryptKey();
  EccPrivateBlob blob{};
  ScopedWipe wipe(blob);
  writeEccHeader(blob.data(), kEcdhPrivateMagic);
  if (!storeCoordinate(x.get(), blob.data() + kBlobXOffset) ||
      !storeCoordinate(y.get(), blob.data() + kBlobXOffset + kP256Coord))
    return BcryptKey();
  std::copy(scalar.begin(), scalar.end(), blob.begin() + kBlobDOffset);
  return importPrivate(ecdhProvider(), blob, 0);
}

bool agreeRaw(BCRYPT_KEY_HANDLE own, const PublicKey64& peer, SharedSecret& out) {
  GcryCtx ctx = p256Context();
  if (!ctx) return false;
  GcryPoint peerPoint = curvePoint(ctx.get(), peer);
  if (!peerPoint) return false;
  EccPrivateBlob blob;
  ScopedWipe wipeBlob(blob);
  GcryMpi x, y;
  if (!exportPrivate(own, blob) ||
      !multiply(ctx.get(), blob.data() + kBlobDOffset, peerPoint.get(), x, y))
    return false;
  SharedSecret bigEndian;
  ScopedWipe wipeShared(bigEndian);
  if (!storeCoordinate(x.get(), bigEndian.data())) return false;
  // Little-endian, as CNG hands the agreed x-coordinate out.
  std::reverse_copy(bigEndian.begin(), bigEndian.end(), out.begin());
  return true;
}

}  // namespace px::cng
