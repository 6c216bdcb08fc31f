#include "relayd/rate_limiter.h"

namespace px::relayd {

RateLimiter::Window& RateLimiter::windowFor(const std::string& key, Clock::time_point now) {
  dropStale(now);
  Window& window = windows_[key];
  if (window.count == 0 || now - window.start >= window_) window = Window{now, 0};
  return window;
}

// Keeps the table to the keys seen in the last window, so a flood of sources cannot grow it.
void RateLimiter::dropStale(Clock::time_point now) {
  if (now - lastSweep_ < window_) return;
  lastSweep_ = now;
  std::erase_if(windows_, [&](const auto& entry) { return now - entry.second.start >= window_; });
}

bool RateLimiter::exceeded(const std::string& key, Clock::time_point now) {
  return limit_ > 0 && windowFor(key, now).count >= limit_;
}

void RateLimiter::add(const std::string& key, Clock::time_point now) {
  if (limit_ > 0) ++windowFor(key, now).count;
}

bool RateLimiter::take(const std::string& key, Clock::time_point now) {
  if (exceeded(key, now)) return false;
  add(key, now);
  return true;
}

void RateLimiter::refund(const std::string& key, Clock::time_point now) {
  if (limit_ <= 0) return;
  Window& window = windowFor(key, now);
  if (window.count > 0) --window.count;
}

}  // namespace px::relayd
