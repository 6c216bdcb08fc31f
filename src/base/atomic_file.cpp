#include "base/atomic_file.h"

#include <fstream>

namespace px {

bool readWholeFile(const std::filesystem::path& path, Bytes& out, size_t maxSize) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || uint64_t(size) > maxSize) return false;
  in.seekg(0, std::ios::beg);
  Bytes data(static_cast<size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(data.data()), size)) return false;
  out = std::move(data);
  return true;
}

}  // namespace px
