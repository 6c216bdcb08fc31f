// RAII owners for the libgcrypt objects of the Wine test build (ecdh_gcrypt_win.cpp).
#pragma once

#include <gcrypt.h>

#include "base/scoped_handle.h"

namespace px {

// libgcrypt wipes a number's limbs when it releases it, so secret numbers need no extra step.
struct GcryMpiTraits {
  using Handle = gcry_mpi_t;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { gcry_mpi_release(h); }
};
struct GcryPointTraits {
  using Handle = gcry_mpi_point_t;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { gcry_mpi_point_release(h); }
};
struct GcryCtxTraits {
  using Handle = gcry_ctx_t;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { gcry_ctx_release(h); }
};

using GcryMpi = ScopedHandle<GcryMpiTraits>;
using GcryPoint = ScopedHandle<GcryPointTraits>;
using GcryCtx = ScopedHandle<GcryCtxTraits>;

}  // namespace px
