#include <sys/stat.h>

#include "store/saved_login.h"
#include "store_test_support.h"

namespace px {
namespace {

class SavedLoginKeyTest : public test::DataFolderTest {};

unsigned modeOf(const std::filesystem::path& file) {
  struct stat st {};
  EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
  return st.st_mode & 0777;
}

TEST_F(SavedLoginKeyTest, KeyAndLoginFilesAreOwnerOnly) {
  saveLogin(LoginToken{}, 2'000'000'000, "ana", "Ana");
  EXPECT_EQ(modeOf(file("login.key")), 0600u);
  EXPECT_EQ(modeOf(file(kLoginFileName)), 0600u);
  EXPECT_EQ(readFile("login.key").size(), 32u);
}

TEST_F(SavedLoginKeyTest, AnotherUsersKeyCannotOpenTheFile) {
  saveLogin(LoginToken{}, 2'000'000'000, "ana", "Ana");
  Bytes otherKey(32, 0x77);
  writeFile("login.key", otherKey);
  SavedLogin loaded;
  EXPECT_EQ(loadSavedLogin(loaded, 0), SavedLoginRestore::kNothing);
}

TEST_F(SavedLoginKeyTest, MissingKeyRestoresNothingAndIsNotCreatedByLoading) {
  saveLogin(LoginToken{}, 2'000'000'000, "ana", "Ana");
  std::filesystem::remove(file("login.key"));
  SavedLogin loaded;
  EXPECT_EQ(loadSavedLogin(loaded, 0), SavedLoginRestore::kNothing);
  EXPECT_FALSE(std::filesystem::exists(file("login.key")));
}

TEST_F(SavedLoginKeyTest, EverySaveUsesAFreshSaltAndTheSameKeyFile) {
  saveLogin(LoginToken{}, 2'000'000'000, "ana", "Ana");
  const Bytes key = readFile("login.key"), first = readFile(kLoginFileName);
  saveLogin(LoginToken{}, 2'000'000'000, "ana", "Ana");
  EXPECT_EQ(readFile("login.key"), key);
  EXPECT_NE(readFile(kLoginFileName), first);
}

TEST_F(SavedLoginKeyTest, ShortKeyFileIsReplacedBySaving) {
  writeFile("login.key", Bytes(5, 1));  // left by a crash or a hand edit
  saveLogin(LoginToken{}, 2'000'000'000, "ana", "Ana");
  EXPECT_EQ(readFile("login.key").size(), 32u);
  SavedLogin loaded;
  EXPECT_EQ(loadSavedLogin(loaded, 0), SavedLoginRestore::kSession);
}

TEST_F(SavedLoginKeyTest, EveryByteOfTheFileIsAuthenticated) {
  saveLogin(LoginToken{}, 2'000'000'000, "ana", "Ana");
  const Bytes file = readFile(kLoginFileName);
  for (size_t position = 0; position < file.size(); ++position) {
    Bytes damaged = file;
    damaged[position] ^= 0x40;
    writeFile(kLoginFileName, damaged);
    SavedLogin loaded;
    EXPECT_EQ(loadSavedLogin(loaded, 0), SavedLoginRestore::kNothing) << position;
  }
}

}  // namespace
}  // namespace px
