// An opaque colour as the theme states it.
#pragma once

#include <cstdint>

namespace px {

struct Rgb {
  uint8_t r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

}  // namespace px
