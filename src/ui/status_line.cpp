#include "ui/status_line.h"

#include <atomic>
#include <mutex>

#include "base/log.h"

namespace px {
namespace {

std::mutex statusLock;
std::string currentStatus = "Pronto";  // guarded by statusLock
std::atomic<StatusRepaintHook> repaintHook{nullptr};

}  // namespace

void setStatus(const char* text) {
  {
    std::lock_guard lock(statusLock);
    currentStatus = text ? text : "";
  }
  logPrintf("[STATUS] %s\n", text ? text : "");
  if (StatusRepaintHook hook = repaintHook.load()) hook();
}

std::string statusText() {
  std::lock_guard lock(statusLock);
  return currentStatus;
}

void setStatusRepaintHook(StatusRepaintHook hook) { repaintHook.store(hook); }

}  // namespace px
