#include <windows.h>
#include <shlobj.h>

#include "base/data_folder.h"

namespace px {

std::filesystem::path platformDataFolder() {
  PWSTR roaming = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming))) {
    CoTaskMemFree(roaming);
    return ".";
  }
  std::filesystem::path folder = std::filesystem::path(roaming) / L"Parvolex";
  CoTaskMemFree(roaming);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

}  // namespace px
