#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/scoped_fd_posix.h"
#include "crypto/identity_key_file_platform.h"

namespace px {

struct IdentityFolderLock::Held {
  ScopedFd fd;  // closing the descriptor releases the lock
};

IdentityFolderLock::IdentityFolderLock(const std::filesystem::path& folder) {
  ScopedFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) return;
  int rc;
  do rc = ::flock(fd.get(), LOCK_EX);
  while (rc != 0 && errno == EINTR);
  if (rc == 0) held_ = std::make_unique<Held>(Held{std::move(fd)});
}

IdentityFolderLock::~IdentityFolderLock() = default;

void restrictKeyFolder(const std::filesystem::path& folder) { ::chmod(folder.c_str(), 0700); }

void restrictKeyFile(const std::filesystem::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) == 0 && (info.st_mode & 077) != 0) ::chmod(file.c_str(), 0600);
}

}  // namespace px
