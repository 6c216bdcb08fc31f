#include <windows.h>

#include <algorithm>

#include "base/atomic_file.h"
#include "base/scoped_file_win.h"

namespace px {

bool writeFileAtomically(const std::filesystem::path& path, ByteView contents, FileAccess) {
  std::filesystem::path tmp = path;
  tmp += L".tmp";
  ScopedFile file(CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  size_t done = 0;
  bool ok = true;
  while (ok && done < contents.size()) {
    DWORD chunk = DWORD(std::min<size_t>(contents.size() - done, 1u << 30)), written = 0;
    ok = WriteFile(file.get(), contents.data() + done, chunk, &written, nullptr) && written == chunk;
    done += written;
  }
  ok = ok && FlushFileBuffers(file.get());
  file.reset();
  if (!ok || !MoveFileExW(tmp.c_str(), path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace px
