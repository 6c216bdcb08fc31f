// Counts events per key (a source address, an account) in fixed windows, so abuse costs the
// abuser time. Not locked: used only on the network thread.
#pragma once

#include <chrono>
#include <string>
#include <unordered_map>

namespace px::relayd {

class RateLimiter {
 public:
  using Clock = std::chrono::steady_clock;

  // At most `limit` events per key in each `window`; a limit of 0 disables the limiter.
  RateLimiter(int limit, std::chrono::seconds window) : limit_(limit), window_(window) {}

  bool exceeded(const std::string& key, Clock::time_point now);
  void add(const std::string& key, Clock::time_point now);
  // exceeded() is false: counts the event and answers true. Otherwise false, nothing counted.
  bool take(const std::string& key, Clock::time_point now);
  // Gives back one event counted in the current window (an attempt that turned out harmless).
  void refund(const std::string& key, Clock::time_point now);

 private:
  struct Window {
    Clock::time_point start;
    int count = 0;
  };
  Window& windowFor(const std::string& key, Clock::time_point now);
  void dropStale(Clock::time_point now);

  int limit_;
  std::chrono::seconds window_;
  std::unordered_map<std::string, Window> windows_;
  Clock::time_point lastSweep_{};
};

}  // namespace px::relayd
