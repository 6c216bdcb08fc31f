#include "base/data_folder.h"

#include <mutex>

namespace px {

std::filesystem::path platformDataFolder();  // data_folder_win.cpp / data_folder_posix.cpp

namespace {
std::mutex overrideLock;
std::filesystem::path overrideFolder;  // guarded by overrideLock
}  // namespace

void setDataFolderOverride(const std::filesystem::path& folder) {
  std::lock_guard lock(overrideLock);
  overrideFolder = folder;
}

std::filesystem::path dataFolder() {
  {
    std::lock_guard lock(overrideLock);
    if (!overrideFolder.empty()) {
      std::error_code ec;
      std::filesystem::create_directories(overrideFolder, ec);
      return overrideFolder;
    }
  }
  return platformDataFolder();
}

}  // namespace px
