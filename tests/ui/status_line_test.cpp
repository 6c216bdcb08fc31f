#include "ui/status_line.h"

#include <gtest/gtest.h>

#include <atomic>

#include "base/atomic_file.h"
#include "base/log.h"
#include "support/test_paths.h"

namespace px {
namespace {

std::atomic<int> repaints{0};

class StatusLineTest : public testing::Test {
 protected:
  void SetUp() override { repaints = 0; }
  void TearDown() override {
    setStatusRepaintHook(nullptr);
    closeLog();
  }
};

TEST_F(StatusLineTest, SetStoresLogsAndAsksForARepaint) {
  test::TempDir scratch;
  openLog(scratch.path() / kLogFileName);
  setStatusRepaintHook([] { ++repaints; });
  setStatus("Conectando ao relay...");
  EXPECT_EQ(statusText(), "Conectando ao relay...");
  EXPECT_EQ(repaints.load(), 1);
  closeLog();
  Bytes log;
  ASSERT_TRUE(readWholeFile(scratch.path() / kLogFileName, log));
  const std::string text(log.begin(), log.end());
  EXPECT_NE(text.find("[STATUS] Conectando ao relay..."), std::string::npos);
}

TEST_F(StatusLineTest, WithoutAWindowTheTextIsOnlyStored) {
  setStatus("Pronto. Aguardando conexão...");
  EXPECT_EQ(statusText(), "Pronto. Aguardando conexão...");
  EXPECT_EQ(repaints.load(), 0);
}

TEST_F(StatusLineTest, RepaintHookMayReadTheText) {
  static std::string seen;
  setStatusRepaintHook([] { seen = statusText(); });  // would deadlock under the status lock
  setStatus("Sessao ativa: Ana");
  EXPECT_EQ(seen, "Sessao ativa: Ana");
}

}  // namespace
}  // namespace px
