#include <windows.h>

#include "support/platform_quirks.h"

namespace px::test {

bool runningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace px::test
