// How many monitors a session offers: the monitor list has room for this many entries, and a
// host with more offers the first ones.
#pragma once

namespace px {

inline constexpr int kMaxMonitors = 8;

}  // namespace px
