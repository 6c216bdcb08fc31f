#include <system_error>

#include "relay/executable_folder.h"

namespace px {

std::filesystem::path executableFolder() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : exe.parent_path();
}

}  // namespace px
