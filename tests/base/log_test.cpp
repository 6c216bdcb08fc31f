#include <gtest/gtest.h>

#include <regex>

#include "base/atomic_file.h"
#include "base/log.h"
#include "support/test_paths.h"

namespace px {
namespace {

std::string readText(const std::filesystem::path& file) {
  Bytes data;
  EXPECT_TRUE(readWholeFile(file, data));
  std::string text(data.begin(), data.end());
  // Windows stores the text-mode "\n" as CR LF; compare the lines themselves.
  std::erase(text, '\r');
  return text;
}

class LogTest : public testing::Test {
 protected:
  void TearDown() override { closeLog(); }
  test::TempDir scratch_;
  std::filesystem::path file_ = scratch_.path() / kLogFileName;
};

TEST_F(LogTest, EachRunAppendsAnEmptyLineAndAHeaderBeforeItsLines) {
  openLog(file_);
  logPrintf("[RELAY] primeira %d\n", 1);
  openLog(file_);
  logPrintf("[HOST] segunda\n");
  closeLog();
  logPrintf("[HOST] so na saida padrao\n");

  const std::string header = R"(\n---- \d{4}-\d\d-\d\d \d\d:\d\d:\d\d pid \d+ ----\n)";
  const std::regex expected(header + R"(\[RELAY\] primeira 1\n)" + header +
                            R"(\[HOST\] segunda\n)");
  EXPECT_TRUE(std::regex_match(readText(file_), expected)) << readText(file_);
}

TEST_F(LogTest, EveryLineIsOnDiskWhenTheCallReturns) {
  openLog(file_);
  logPrintf("[LOGIN] gravada\n");
  EXPECT_NE(readText(file_).find("[LOGIN] gravada\n"), std::string::npos);
}

TEST_F(LogTest, SecondWriterGetsNoFile) {
  LogStream first = openLogStream(file_);
  ASSERT_TRUE(first);
  EXPECT_FALSE(openLogStream(file_));
  first.reset();
  EXPECT_TRUE(openLogStream(file_));
}

TEST_F(LogTest, UnopenableFileLeavesStandardOutputOnly) {
  openLog(scratch_.path() / "sem-pasta" / kLogFileName);
  logPrintf("[Parvolex] sem arquivo\n");  // must not fail
  EXPECT_FALSE(std::filesystem::exists(scratch_.path() / "sem-pasta"));
}

}  // namespace
}  // namespace px
