// Wipes a secret however its scope is left, so early returns cannot skip the wipe.
#pragma once

#include "base/bytes.h"

namespace px {

// `secret` is any container secureWipe takes (std::array, std::vector, std::string) and must
// outlive the guard.
template <typename Secret>
class ScopedWipe {
 public:
  explicit ScopedWipe(Secret& secret) : secret_(secret) {}
  ~ScopedWipe() { secureWipe(secret_); }
  ScopedWipe(const ScopedWipe&) = delete;
  ScopedWipe& operator=(const ScopedWipe&) = delete;

 private:
  Secret& secret_;
};

}  // namespace px
