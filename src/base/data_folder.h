// The per-user folder where Parvolex keeps its files. Created when missing.
//   Windows: the roaming application-data folder + "\Parvolex" ("." when it cannot be found).
//   Linux:   $XDG_DATA_HOME/Parvolex, default ~/.local/share/Parvolex, mode 0700.
#pragma once

#include <filesystem>

namespace px {

std::filesystem::path dataFolder();

// Tests point the data folder elsewhere; an empty path restores the platform's folder.
void setDataFolderOverride(const std::filesystem::path& folder);

}  // namespace px
