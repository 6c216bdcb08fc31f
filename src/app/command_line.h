// The command line: an optional computer ID to connect to at start.
#pragma once

#include <string>
#include <string_view>

namespace px {

// Every character but the space (0x20) is kept: "123 456 789" gives "123456789", a line of only
// spaces gives "" (no auto-connect). The ID itself is checked where it is used.
std::string autoConnectTarget(std::string_view commandLine);

}  // namespace px
