#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/atomic_file.h"
#include "base/scoped_fd_posix.h"

namespace px {
namespace {

bool writeAll(int fd, ByteView data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& path, ByteView contents, FileAccess access) {
  const mode_t mode = access == FileAccess::kOwnerOnly ? 0600 : 0644;
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  std::string tmpl = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  ScopedFd fd(::mkstemp(tmpl.data()));
  if (!fd) return false;
  const bool written = ::fchmod(fd.get(), mode) == 0 && writeAll(fd.get(), contents) &&
                       ::fsync(fd.get()) == 0;
  if (::close(fd.release()) != 0 || !written || ::rename(tmpl.c_str(), path.c_str()) != 0) {
    ::unlink(tmpl.c_str());
    return false;
  }
  // Make the rename itself durable.
  ScopedFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY));
  if (dir) ::fsync(dir.get());
  return true;
}

}  // namespace px
