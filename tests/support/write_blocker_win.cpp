#include <windows.h>

#include "support/write_blocker.h"

namespace px::test {

void WriteBlocker::engage(const std::filesystem::path& file) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) state_ = h;
}

void WriteBlocker::release() {
  if (state_) CloseHandle(static_cast<HANDLE>(state_));
  state_ = nullptr;
}

}  // namespace px::test
