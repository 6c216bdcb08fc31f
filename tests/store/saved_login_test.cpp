#include "store/saved_login.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "store_test_support.h"
#include "support/write_blocker.h"

namespace px {
namespace {

constexpr int64_t kNow = 1'760'000'000;

LoginToken tokenFilledWith(uint8_t value) {
  LoginToken token;
  token.fill(value);
  return token;
}

class SavedLoginTest : public test::DataFolderTest {
 protected:
  void writeSealed(ByteView record) {
    Bytes sealed;
    ASSERT_TRUE(protectForCurrentUser(record, sealed));
    writeFile(kLoginFileName, sealed);
  }
};

TEST_F(SavedLoginTest, RoundTripRestoresTheSession) {
  saveLogin(tokenFilledWith(0xAB), kNow + 3600, "joao.silva", "João Silva");
  SavedLogin loaded;
  ASSERT_EQ(loadSavedLogin(loaded, kNow), SavedLoginRestore::kSession);
  EXPECT_EQ(loaded.expiry, kNow + 3600);
  EXPECT_EQ(loaded.token, tokenFilledWith(0xAB));
  EXPECT_EQ(loaded.loginName, "joao.silva");
  EXPECT_EQ(loaded.displayName, "João Silva");
}

TEST_F(SavedLoginTest, ForgettingDeletesTheFileAndIsHarmlessTwice) {
  saveLogin(tokenFilledWith(0xAB), kNow + 3600, "joao.silva", "João Silva");
  forgetSavedLogin();
  forgetSavedLogin();
  SavedLogin loaded;
  EXPECT_EQ(loadSavedLogin(loaded, kNow), SavedLoginRestore::kNothing);
  EXPECT_FALSE(std::filesystem::exists(file(kLoginFileName)));
}

TEST_F(SavedLoginTest, FileDoesNotHoldTheRecordInClear) {
  saveLogin(tokenFilledWith(0xAB), kNow + 3600, "joao.silva", "Joao Silva");
  const Bytes file = readFile(kLoginFileName);
  const std::string_view login = "joao.silva";
  EXPECT_EQ(std::search(file.begin(), file.end(), login.begin(), login.end()), file.end());
}

struct ExpiryCase {
  int64_t secondsLeft;
  SavedLoginRestore restore;
};

TEST_F(SavedLoginTest, SessionIsRestoredOnlyWithMoreThan30SecondsLeft) {
  const ExpiryCase cases[] = {
      {-100, SavedLoginRestore::kLastLoginName}, {20, SavedLoginRestore::kLastLoginName},
      {30, SavedLoginRestore::kLastLoginName},   {31, SavedLoginRestore::kSession},
      {86400, SavedLoginRestore::kSession},
  };
  for (const ExpiryCase& c : cases) {
    SCOPED_TRACE(c.secondsLeft);
    saveLogin(tokenFilledWith(1), kNow + c.secondsLeft, "maria", "Maria");
    SavedLogin loaded;
    ASSERT_EQ(loadSavedLogin(loaded, kNow), c.restore);
    EXPECT_EQ(loaded.loginName, "maria");
    if (c.restore == SavedLoginRestore::kLastLoginName) {
      EXPECT_EQ(loaded.token, LoginToken{});
      EXPECT_EQ(loaded.displayName, "");
    }
  }
}

TEST_F(SavedLoginTest, RecordOf42BytesRestoresWithEmptyNames) {
  Bytes record = encodeLoginRecord(tokenFilledWith(7), kNow + 600, "", "");
  ASSERT_EQ(record.size(), 43u);
  record.pop_back();  // the display name's length byte
  writeSealed(record);
  SavedLogin loaded;
  ASSERT_EQ(loadSavedLogin(loaded, kNow), SavedLoginRestore::kSession);
  EXPECT_EQ(loaded.token, tokenFilledWith(7));
  EXPECT_EQ(loaded.loginName, "");
  EXPECT_EQ(loaded.displayName, "");
}

TEST_F(SavedLoginTest, NamesAreCutTo255Bytes) {
  const std::string longName(300, 'n');
  saveLogin(tokenFilledWith(1), kNow + 600, longName, longName);
  SavedLogin loaded;
  ASSERT_EQ(loadSavedLogin(loaded, kNow), SavedLoginRestore::kSession);
  EXPECT_EQ(loaded.loginName, longName.substr(0, 255));
  EXPECT_EQ(loaded.displayName, longName.substr(0, 255));
}

TEST_F(SavedLoginTest, MissingDamagedOrForeignFilesRestoreNothing) {
  SavedLogin loaded;
  EXPECT_EQ(loadSavedLogin(loaded, kNow), SavedLoginRestore::kNothing);

  saveLogin(tokenFilledWith(1), kNow + 600, "ana", "Ana");
  Bytes file = readFile(kLoginFileName);
  // The first bytes are the format's header, the last ones its authentication (Wine's DPAPI does
  // not authenticate every byte in between, so the middle is left out).
  for (size_t position : {size_t(0), file.size() - 1}) {
    Bytes damaged = file;
    damaged[position] ^= 0x01;
    writeFile(kLoginFileName, damaged);
    EXPECT_EQ(loadSavedLogin(loaded, kNow), SavedLoginRestore::kNothing) << position;
  }
  writeFile(kLoginFileName, ByteView(file).first(file.size() - 1));
  EXPECT_EQ(loadSavedLogin(loaded, kNow), SavedLoginRestore::kNothing);
  writeFile(kLoginFileName, Bytes(kMaxLoginFile + 1, 0));
  EXPECT_EQ(loadSavedLogin(loaded, kNow), SavedLoginRestore::kNothing);
}

TEST_F(SavedLoginTest, SealedRecordThatIsNotOursRestoresNothing) {
  writeSealed(Bytes(41, 1));  // too short
  SavedLogin loaded;
  EXPECT_EQ(loadSavedLogin(loaded, kNow), SavedLoginRestore::kNothing);
  Bytes record = encodeLoginRecord(tokenFilledWith(7), kNow + 600, "a", "b");
  record[0] = 2;  // another version
  writeSealed(record);
  EXPECT_EQ(loadSavedLogin(loaded, kNow), SavedLoginRestore::kNothing);
}

TEST_F(SavedLoginTest, FailedWriteKeepsTheOldFile) {
  saveLogin(tokenFilledWith(1), kNow + 600, "ana", "Ana");
  const Bytes old = readFile(kLoginFileName);
  {
    test::WriteBlocker blocker(file(kLoginFileName));
    if (!blocker.blocks()) GTEST_SKIP() << "this platform let the blocked write through";
    saveLogin(tokenFilledWith(2), kNow + 600, "bia", "Bia");
  }
  EXPECT_EQ(readFile(kLoginFileName), old);
  SavedLogin loaded;
  ASSERT_EQ(loadSavedLogin(loaded, kNow), SavedLoginRestore::kSession);
  EXPECT_EQ(loaded.loginName, "ana");
}

struct DecodeCase {
  const char* what;
  Bytes tail;  // after version, expiry and token
  bool decodes;
  const char* login;
  const char* display;
};

TEST(LoginRecordTest, NamesThatRunPastTheEndStayEmpty) {
  const DecodeCase cases[] = {
      {"both names", {2, 'a', 'b', 1, 'c'}, true, "ab", "c"},
      {"no display length", {2, 'a', 'b'}, true, "ab", ""},
      {"display runs past the end", {1, 'a', 3, 'c'}, true, "a", ""},
      {"login runs past the end", {5, 'a', 'b'}, true, "", ""},
      {"empty login, display present", {0, 2, 'x', 'y'}, true, "", "xy"},
      {"one byte short", {}, false, "", ""},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes record = encodeLoginRecord(tokenFilledWith(3), 99, "", "");
    record.resize(41);
    appendBytes(record, c.tail);
    SavedLogin out;
    ASSERT_EQ(decodeLoginRecord(record, out), c.decodes);
    if (!c.decodes) continue;
    EXPECT_EQ(out.expiry, 99);
    EXPECT_EQ(out.token, tokenFilledWith(3));
    EXPECT_EQ(out.loginName, c.login);
    EXPECT_EQ(out.displayName, c.display);
  }
}

}  // namespace
}  // namespace px
