#include <windows.h>

#include <cstdio>

#include "support/crash_guard.h"

namespace px::test {
namespace {
LONG WINAPI exitOnCrash(EXCEPTION_POINTERS* info) {
  std::fprintf(stderr, "crash: exception 0x%08lx\n",
               static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 99);
  return EXCEPTION_EXECUTE_HANDLER;
}
}  // namespace

void installCrashGuard() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(exitOnCrash);
}
}  // namespace px::test
