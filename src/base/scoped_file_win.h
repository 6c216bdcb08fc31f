// The owner of a Windows file handle from CreateFileW (invalid value INVALID_HANDLE_VALUE, not
// null): closed exactly once.
#pragma once

#include <windows.h>

#include "base/scoped_handle.h"

namespace px {

struct FileTraits {
  using Handle = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { CloseHandle(h); }
};
using ScopedFile = ScopedHandle<FileTraits>;

}  // namespace px
