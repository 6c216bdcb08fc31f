#include "store/password_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "store_test_support.h"
#include "support/write_blocker.h"

namespace px {
namespace {

using test::DataFolderTest;

Bytes fileOf(std::string_view magic, size_t size, uint32_t iterations) {
  Bytes file(size, 0x5A);
  std::copy(magic.begin(), magic.end(), file.begin());
  if (magic == "PXP2" && size >= 24) storeLe32(file.data() + 20, iterations);
  return file;
}

class PasswordStoreTest : public DataFolderTest {
 protected:
  void TearDown() override {
    loadPasswordStore();  // the scratch folder: back to no password
    DataFolderTest::TearDown();
    loadPasswordStore();
  }
};

struct FileCase {
  const char* what;
  Bytes file;
  bool hasPassword;
  uint32_t iterations;
};

TEST_F(PasswordStoreTest, LoadAcceptsOnlyWholeFilesWithIterationsInRange) {
  const FileCase cases[] = {
      {"current, 0 iterations", fileOf("PXP2", 56, 0), false, 0},
      {"current, 1 iteration", fileOf("PXP2", 56, 1), true, 1},
      {"current, 2,000,000 iterations", fileOf("PXP2", 56, 2000000), true, 2000000},
      {"current, 2,000,001 iterations", fileOf("PXP2", 56, 2000001), false, 2000001},
      {"current, 55 bytes", fileOf("PXP2", 55, 100000), false, 0},
      {"legacy, 52 bytes", fileOf("PXPW", 52, 0), true, 0},
      {"legacy, 51 bytes", fileOf("PXPW", 51, 0), false, 0},
      {"unknown magic", fileOf("PXP3", 56, 100000), false, 0},
      {"magic only", fileOf("PXP2", 4, 0), false, 0},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile(kPasswordFileName, c.file);
    loadPasswordStore();
    const PasswordRecord record = readPasswordStore();
    EXPECT_EQ(record.hasPassword, c.hasPassword);
    if (c.hasPassword) {
      EXPECT_EQ(record.iterations, c.iterations);
      EXPECT_EQ(record.salt[0], 0x5A);
      EXPECT_EQ(record.hash[31], 0x5A);
    }
  }
}

TEST_F(PasswordStoreTest, MissingFileMeansNoPassword) {
  loadPasswordStore();
  EXPECT_FALSE(readPasswordStore().hasPassword);
}

TEST_F(PasswordStoreTest, SetWritesTheCurrentFormAndReloadsTheSameRecord) {
  const std::string_view password = "senha-forte-1";
  ASSERT_TRUE(setAccessPassword(asBytes(password)));
  const PasswordRecord set = readPasswordStore();
  ASSERT_TRUE(set.hasPassword);
  EXPECT_EQ(set.iterations, kPasswordIterations);

  const Bytes file = readFile(kPasswordFileName);
  ASSERT_EQ(file.size(), 56u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "PXP2");
  EXPECT_EQ(loadLe32(file.data() + 20), kPasswordIterations);

  Digest32 expected;
  ASSERT_TRUE(hashAccessPassword(asBytes(password), set.salt, set.iterations, expected));
  EXPECT_EQ(set.hash, expected);

  loadPasswordStore();
  const PasswordRecord loaded = readPasswordStore();
  EXPECT_TRUE(loaded.hasPassword);
  EXPECT_EQ(loaded.salt, set.salt);
  EXPECT_EQ(loaded.iterations, set.iterations);
  EXPECT_EQ(loaded.hash, set.hash);
}

TEST_F(PasswordStoreTest, EachSetDrawsANewSalt) {
  ASSERT_TRUE(setAccessPassword(asBytes("mesma-senha")));
  const PasswordRecord first = readPasswordStore();
  ASSERT_TRUE(setAccessPassword(asBytes("mesma-senha")));
  EXPECT_NE(readPasswordStore().salt, first.salt);
}

TEST_F(PasswordStoreTest, EmptyPasswordRemovesTheFileEvenWhenNoneWasSet) {
  EXPECT_TRUE(setAccessPassword({}));
  EXPECT_FALSE(std::filesystem::exists(file(kPasswordFileName)));

  ASSERT_TRUE(setAccessPassword(asBytes("senha-forte-1")));
  EXPECT_TRUE(setAccessPassword({}));
  EXPECT_FALSE(std::filesystem::exists(file(kPasswordFileName)));
  EXPECT_FALSE(readPasswordStore().hasPassword);
  loadPasswordStore();
  EXPECT_FALSE(readPasswordStore().hasPassword);
}

TEST_F(PasswordStoreTest, FailedWriteKeepsFileAndStore) {
  ASSERT_TRUE(setAccessPassword(asBytes("primeira-senha")));
  const Bytes oldFile = readFile(kPasswordFileName);
  const PasswordRecord oldRecord = readPasswordStore();
  {
    test::WriteBlocker blocker(file(kPasswordFileName));
    if (!blocker.blocks()) GTEST_SKIP() << "this platform let the blocked write through";
    EXPECT_FALSE(setAccessPassword(asBytes("segunda-senha")));
  }
  EXPECT_EQ(readFile(kPasswordFileName), oldFile);
  const PasswordRecord now = readPasswordStore();
  EXPECT_TRUE(now.hasPassword);
  EXPECT_EQ(now.salt, oldRecord.salt);
  EXPECT_EQ(now.hash, oldRecord.hash);
}

TEST_F(PasswordStoreTest, FailedRemovalKeepsThePassword) {
  ASSERT_TRUE(setAccessPassword(asBytes("primeira-senha")));
  const PasswordRecord oldRecord = readPasswordStore();
  // Something that cannot be removed stands where the file was.
  std::filesystem::remove(file(kPasswordFileName));
  std::filesystem::create_directories(file(kPasswordFileName) / "ocupado");

  EXPECT_FALSE(setAccessPassword({}));
  const PasswordRecord now = readPasswordStore();
  EXPECT_TRUE(now.hasPassword);
  EXPECT_EQ(now.hash, oldRecord.hash);
}

}  // namespace
}  // namespace px
