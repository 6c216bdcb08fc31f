#include <windows.h>

#include "base/scoped_file_win.h"
#include "crypto/identity_key_file_platform.h"

namespace px {

// A folder cannot be locked on Windows: the lock is on a file of its own in that folder.
struct IdentityFolderLock::Held {
  ScopedFile file;  // closing the handle releases the lock
};

IdentityFolderLock::IdentityFolderLock(const std::filesystem::path& folder) {
  const std::filesystem::path lockFile = folder / L"identity.lock";
  ScopedFile file(CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  OVERLAPPED whole{};
  if (LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole))
    held_ = std::make_unique<Held>(Held{std::move(file)});
}

IdentityFolderLock::~IdentityFolderLock() = default;

void restrictKeyFolder(const std::filesystem::path&) {}
void restrictKeyFile(const std::filesystem::path&) {}

}  // namespace px
