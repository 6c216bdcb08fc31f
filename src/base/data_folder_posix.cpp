#include <sys/stat.h>

#include <cstdlib>

#include "base/data_folder.h"

namespace px {

std::filesystem::path platformDataFolder() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    return ".";
  }
  std::error_code ec;
  std::filesystem::create_directories(base, ec);
  const std::filesystem::path folder = base / "Parvolex";
  ::mkdir(folder.c_str(), 0700);
  // Only this user may read what is kept here, even if the folder existed before.
  ::chmod(folder.c_str(), 0700);
  return folder;
}

}  // namespace px
