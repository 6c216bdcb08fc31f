#include <sys/resource.h>

#include <csignal>

#include "support/write_blocker.h"

namespace px::test {
namespace {

struct SavedLimit {
  rlimit limit;
  void (*handler)(int);
};

}  // namespace

void WriteBlocker::engage(const std::filesystem::path&) {
  auto* saved = new SavedLimit{};
  if (::getrlimit(RLIMIT_FSIZE, &saved->limit) != 0) {
    delete saved;
    return;
  }
  saved->handler = std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
  rlimit tiny = saved->limit;
  tiny.rlim_cur = 1;
  ::setrlimit(RLIMIT_FSIZE, &tiny);
  state_ = saved;
}

void WriteBlocker::release() {
  auto* saved = static_cast<SavedLimit*>(state_);
  if (!saved) return;
  ::setrlimit(RLIMIT_FSIZE, &saved->limit);
  std::signal(SIGXFSZ, saved->handler);
  delete saved;
  state_ = nullptr;
}

}  // namespace px::test
