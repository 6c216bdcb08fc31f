#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "base/data_folder.h"

namespace px {
namespace {

TEST(DataFolderWinTest, RoamingAppDataPlusParvolexIsCreated) {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  if (!appData || !*appData) GTEST_SKIP() << "APPDATA is not set in this environment";
  setDataFolderOverride({});
  const std::filesystem::path folder = dataFolder();
  std::error_code ec;
  EXPECT_TRUE(std::filesystem::equivalent(folder, std::filesystem::path(appData) / L"Parvolex", ec))
      << folder.string();
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace px
