// Shared set-up for the store tests: a scratch data folder for each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/atomic_file.h"
#include "base/data_folder.h"
#include "support/test_paths.h"

namespace px::test {

class DataFolderTest : public testing::Test {
 protected:
  void SetUp() override { setDataFolderOverride(scratch_.path()); }
  void TearDown() override { setDataFolderOverride({}); }

  std::filesystem::path file(const std::string& name) const { return scratch_.path() / name; }

  Bytes readFile(const std::string& name) const {
    Bytes data;
    EXPECT_TRUE(readWholeFile(file(name), data)) << name;
    return data;
  }
  std::string readText(const std::string& name) const {
    Bytes data = readFile(name);
    return std::string(data.begin(), data.end());
  }
  void writeFile(const std::string& name, ByteView data) const {
    ASSERT_TRUE(writeFileAtomically(file(name), data)) << name;
  }
  void writeText(const std::string& name, std::string_view text) const {
    writeFile(name, asBytes(text));
  }

 private:
  TempDir scratch_;
};

}  // namespace px::test
