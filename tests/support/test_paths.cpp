#include "support/test_paths.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <system_error>

namespace px::test {

std::filesystem::path sharedDir() {
  if (const char* env = std::getenv("PX_SHARED_DIR"); env && *env) return env;
  return PX_SHARED_DIR_DEFAULT;
}

TempDir::TempDir() {
  static std::atomic<unsigned> sequence{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  std::error_code ec;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    path_ = std::filesystem::temp_directory_path(ec) /
            ("px-test-" + std::to_string(stamp) + "-" + std::to_string(sequence++));
    if (std::filesystem::create_directory(path_, ec)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

}  // namespace px::test
