#include "base/log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string_view>
#include <vector>

#include "base/atomic_file.h"
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

// "---- YYYY-MM-DD hh:mm:ss pid N ----" with plausible fields.
bool isHeader(const std::string& line) {
  int year, month, day, hour, minute, second, length = 0;
  unsigned pid;
  const int fields = std::sscanf(line.c_str(), "---- %4d-%2d-%2d %2d:%2d:%2d pid %u ----%n", &year,
                                 &month, &day, &hour, &minute, &second, &pid, &length);
  return fields == 7 && size_t(length) == line.size() && line[9] == '-' && line[15] == ' ' &&
         year >= 2000 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 &&
         minute < 60 && second <= 60;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  if (start != text.size()) lines.push_back(text.substr(start) + "<no newline>");
  return lines;
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

  const std::vector<std::string> lines = linesOf(readText(file_));
  ASSERT_EQ(lines.size(), 6u) << readText(file_);
  EXPECT_EQ(lines[0], "");
  EXPECT_TRUE(isHeader(lines[1])) << lines[1];
  EXPECT_EQ(lines[2], "[RELAY] primeira 1");
  EXPECT_EQ(lines[3], "");
  EXPECT_TRUE(isHeader(lines[4])) << lines[4];
  EXPECT_EQ(lines[5], "[HOST] segunda");
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
