#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "base/data_folder.h"
#include "support/test_paths.h"

namespace px {
namespace {

class EnvVar {
 public:
  explicit EnvVar(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) old_ = value;
  }
  ~EnvVar() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  void set(const std::string& value) { ::setenv(name_, value.c_str(), 1); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

unsigned modeOf(const std::filesystem::path& folder) {
  struct stat st {};
  EXPECT_EQ(::stat(folder.c_str(), &st), 0);
  return st.st_mode & 0777;
}

TEST(DataFolderPosixTest, XdgDataHomeWinsAndTheFolderIsOwnerOnly) {
  test::TempDir scratch;
  EnvVar xdg("XDG_DATA_HOME");
  xdg.set(scratch.path().string());
  std::filesystem::create_directory(scratch.path() / "Parvolex");
  std::filesystem::permissions(scratch.path() / "Parvolex", std::filesystem::perms(0755));

  const std::filesystem::path folder = dataFolder();
  EXPECT_EQ(folder, scratch.path() / "Parvolex");
  EXPECT_EQ(modeOf(folder), 0700u);
}

TEST(DataFolderPosixTest, RelativeOrEmptyXdgFallsBackToHome) {
  test::TempDir scratch;
  EnvVar xdg("XDG_DATA_HOME"), home("HOME");
  home.set(scratch.path().string());
  for (const char* value : {"", "relativo/dados"}) {
    xdg.set(value);
    const std::filesystem::path folder = dataFolder();
    EXPECT_EQ(folder, scratch.path() / ".local" / "share" / "Parvolex") << value;
    EXPECT_EQ(modeOf(folder), 0700u);
  }
}

TEST(DataFolderPosixTest, OverrideWinsAndIsCreated) {
  test::TempDir scratch;
  setDataFolderOverride(scratch.path() / "a" / "b");
  EXPECT_EQ(dataFolder(), scratch.path() / "a" / "b");
  EXPECT_TRUE(std::filesystem::is_directory(scratch.path() / "a" / "b"));
  setDataFolderOverride({});
}

}  // namespace
}  // namespace px
