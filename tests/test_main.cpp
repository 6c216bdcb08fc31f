#include <gtest/gtest.h>

#include "support/crash_guard.h"

int main(int argc, char** argv) {
  px::test::installCrashGuard();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
