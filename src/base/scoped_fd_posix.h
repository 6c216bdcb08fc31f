// The owner of a POSIX file descriptor (files, folders, sockets): closed exactly once.
#pragma once

#include <unistd.h>

#include "base/scoped_handle.h"

namespace px {

struct FdTraits {
  using Handle = int;
  static int invalid() { return -1; }
  static void close(int fd) { ::close(fd); }
};
using ScopedFd = ScopedHandle<FdTraits>;

}  // namespace px
