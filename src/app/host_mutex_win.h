// The one-sharer-per-session rule: the first Parvolex of a Windows session owns the named mutex
// and shares this computer; later ones only connect out.
#pragma once

#include <windows.h>

namespace px {

inline constexpr const wchar_t* kHostMutexName = L"Local\\Parvolex-Host";

class HostMutex {
 public:
  // Creates the mutex with initial ownership. Held until this object dies (the process's end).
  HostMutex();
  ~HostMutex();
  HostMutex(const HostMutex&) = delete;
  HostMutex& operator=(const HostMutex&) = delete;

  // False when another instance holds it or it could not be made: access-only mode.
  bool owned() const { return owned_; }

 private:
  HANDLE handle_ = nullptr;
  bool owned_ = false;
};

}  // namespace px
