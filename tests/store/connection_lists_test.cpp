#include "store/connection_lists.h"

#include <gtest/gtest.h>

#include <atomic>

#include "store/text_line_end.h"
#include "store_test_support.h"
#include "support/write_blocker.h"

namespace px {
namespace {

class ConnectionListsTest : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    writeText(kRecentFileName, "");
    loadRecent();  // empty
    loadFavourites("ninguem");
  }
  void TearDown() override {
    setRecentsChangedHook(nullptr);
    DataFolderTest::TearDown();
  }
  std::string line(std::string_view text) { return std::string(text) + std::string(textLineEnd()); }
};

TEST_F(ConnectionListsTest, AddingAnIdAgainMovesItToTheFrontWithNewerNameAndTime) {
  addRecent("111111111", "Primeiro", 100);
  addRecent("222222222", "Segundo", 200);
  addRecent("111111111", "Renomeado", 300);
  const std::vector<RecentEntry> expected = {{"111111111", "Renomeado", 300},
                                             {"222222222", "Segundo", 200}};
  EXPECT_EQ(recentEntries(), expected);
  EXPECT_EQ(readText(kRecentFileName),
            line("300\t111111111\tRenomeado") + line("200\t222222222\tSegundo"));
}

TEST_F(ConnectionListsTest, ThirteenthIdDropsTheOldest) {
  for (int i = 0; i < 13; ++i) addRecent(std::to_string(100000000 + i), "", i);
  const std::vector<RecentEntry> list = recentEntries();
  ASSERT_EQ(list.size(), kMaxRecent);
  EXPECT_EQ(list.front().id, "100000012");
  EXPECT_EQ(list.back().id, "100000001");
  EXPECT_EQ(list.front().name, "100000012");  // an empty name is shown as the ID
  loadRecent();
  EXPECT_EQ(recentEntries(), list);
}

TEST_F(ConnectionListsTest, LineBreaksAndTabsInNamesBecomeSpaces) {
  addRecent("123456789", "Sala\tde\r\nreunião", 5);
  loadRecent();
  ASSERT_EQ(recentEntries().size(), 1u);
  EXPECT_EQ(recentEntries()[0].name, "Sala de  reunião");
}

TEST_F(ConnectionListsTest, IdsThatWouldBreakTheFileAreNotRecorded) {
  static std::atomic<int> hookCalls;
  hookCalls = 0;
  setRecentsChangedHook([] { ++hookCalls; });
  addRecent("", "vazio", 1);
  addRecent("1\n2\t999999999\tforjado", "x", 1);  // the remote side chooses the ID it sends
  EXPECT_TRUE(recentEntries().empty());
  EXPECT_EQ(hookCalls.load(), 0);
  addRecent("123456789", "ok", 1);
  EXPECT_EQ(hookCalls.load(), 1);
}

TEST_F(ConnectionListsTest, RecentLinesAreParsedLeniently) {
  writeText(kRecentFileName,
            "10\t111111111\tUm\n"
            "sem segunda tabulacao\t222222222\n"
            "20\t\tID vazio\n"
            "30abc\t333333333\tTres\r\n"
            "-5\t444444444\tnome\tcom tab\n"
            "x\t555555555\t\n");
  loadRecent();
  const std::vector<RecentEntry> expected = {{"111111111", "Um", 10},
                                             {"333333333", "Tres", 30},
                                             {"444444444", "nome\tcom tab", -5},
                                             {"555555555", "", 0}};
  EXPECT_EQ(recentEntries(), expected);
}

TEST_F(ConnectionListsTest, MissingRecentFileKeepsTheList) {
  addRecent("123456789", "A", 1);
  std::filesystem::remove(file(kRecentFileName));
  loadRecent();
  EXPECT_EQ(recentEntries().size(), 1u);
}

TEST_F(ConnectionListsTest, RecentLoadStopsAtTwelve) {
  std::string text;
  for (int i = 0; i < 20; ++i)
    text += std::to_string(i) + "\t" + std::to_string(100000000 + i) + "\tn\n";
  writeText(kRecentFileName, text);
  loadRecent();
  ASSERT_EQ(recentEntries().size(), kMaxRecent);
  EXPECT_EQ(recentEntries().back().id, "100000011");
}

TEST_F(ConnectionListsTest, HookRunsAfterTheListsLockIsReleased) {
  static size_t seen;
  seen = 0;
  setRecentsChangedHook([] { seen = recentEntries().size(); });  // would deadlock under the lock
  addRecent("123456789", "A", 1);
  EXPECT_EQ(seen, 1u);
}

TEST_F(ConnectionListsTest, FailedRecentWriteKeepsTheOldFile) {
  addRecent("111111111", "Antigo", 1);
  const std::string old = readText(kRecentFileName);
  {
    test::WriteBlocker blocker(file(kRecentFileName));
    if (!blocker.blocks()) GTEST_SKIP() << "this platform let the blocked write through";
    addRecent("222222222", "Novo", 2);
  }
  EXPECT_EQ(readText(kRecentFileName), old);
  EXPECT_EQ(recentEntries().size(), 2u);  // memory still has it; the next save writes both
}

struct KeyCase {
  const char* login;
  const char* key;
};

TEST(FavouritesFileKeyTest, KeepsAsciiLettersDigitsDotDashUnderscore) {
  const KeyCase cases[] = {
      {"joao.silva_2-b", "joao.silva_2-b"},
      {"joão", "joo"},
      {"   ", "tecnico"},
      {"", "tecnico"},
      {"../a\\b/c:d", "..abcd"},
      {"Maria Souza", "MariaSouza"},
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(favouritesFileKey(c.login), c.key) << c.login;
  }
  EXPECT_EQ(favouritesFileName("joão"), "favoritos-joo.txt");
}

TEST_F(ConnectionListsTest, FavouritesLoadKeepsNineCharacterIdsOnly) {
  writeText("favoritos-ana.txt",
            "123456789\tServidor\r\n"
            "987654321\n"
            "12345678\tcurto\n"
            "1234567890\tlongo\n"
            "555555555\t\n");
  loadFavourites("ana");
  const std::vector<FavouriteEntry> expected = {
      {"123456789", "Servidor"}, {"987654321", "987654321"}, {"555555555", ""}};
  EXPECT_EQ(favouriteEntries(), expected);
  loadFavourites("outra");
  EXPECT_TRUE(favouriteEntries().empty());
}

TEST_F(ConnectionListsTest, FavouritesLoadStopsAt48) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += std::to_string(100000000 + i) + "\tn\n";
  writeText("favoritos-ana.txt", text);
  loadFavourites("ana");
  EXPECT_EQ(favouriteEntries().size(), kMaxFavouritesLoaded);
}

TEST_F(ConnectionListsTest, ToggleAddsNamedAfterRecentThenRemoves) {
  addRecent("123456789", "Recepção", 1);
  toggleFavourite("ana", "123456789");
  toggleFavourite("ana", "987654321");
  EXPECT_EQ(readText("favoritos-ana.txt"),
            line("123456789\tRecepção") + line("987654321\t987654321"));

  toggleFavourite("ana", "123456789");
  EXPECT_EQ(readText("favoritos-ana.txt"), line("987654321\t987654321"));
  loadFavourites("ana");
  EXPECT_EQ(favouriteEntries(), (std::vector<FavouriteEntry>{{"987654321", "987654321"}}));
}

TEST_F(ConnectionListsTest, ClearingFavouritesKeepsTheirFileForTheNextLogin) {
  writeText("favoritos-ana.txt", "123456789\tRecepção\n");
  loadFavourites("ana");
  clearFavourites();
  EXPECT_TRUE(favouriteEntries().empty());
  loadFavourites("ana");
  EXPECT_EQ(favouriteEntries(), (std::vector<FavouriteEntry>{{"123456789", "Recepção"}}));
}

TEST_F(ConnectionListsTest, LongNameReadsBackAsOneCutEntry) {
  // Long enough that the line's rest after the cut is nine characters: it must not come back
  // as a favourite of its own.
  const std::string name = std::string(kMaxListLine - 10, 'a') + "999999999";
  addRecent("123456789", name, 1);
  toggleFavourite("ana", "123456789");
  loadFavourites("ana");
  ASSERT_EQ(favouriteEntries().size(), 1u);
  EXPECT_EQ(favouriteEntries()[0].name, name.substr(0, kMaxListLine - 10));
  loadRecent();
  ASSERT_EQ(recentEntries().size(), 1u);
}

}  // namespace
}  // namespace px
