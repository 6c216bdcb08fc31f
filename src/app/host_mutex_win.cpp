#include "app/host_mutex_win.h"

namespace px {

HostMutex::HostMutex() {
  handle_ = CreateMutexW(nullptr, TRUE, kHostMutexName);
  owned_ = handle_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

HostMutex::~HostMutex() {
  if (handle_) CloseHandle(handle_);
}

}  // namespace px
