// Outside Windows there is no system coder: always our own.
#include "codec/xpress_backend.h"

namespace px::xpress {

std::unique_ptr<CompressBackend> makeCompressBackend() { return makePortableCompressBackend(); }
std::unique_ptr<DecompressBackend> makeDecompressBackend() {
  return makePortableDecompressBackend();
}

}  // namespace px::xpress
