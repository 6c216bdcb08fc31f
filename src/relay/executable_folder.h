// The folder that holds the running executable (relay.cfg lives there).
#pragma once

#include <filesystem>

namespace px {

// Empty when the platform cannot tell.
std::filesystem::path executableFolder();

}  // namespace px
