#include "app/home_cards.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "store/connection_lists.h"
#include "store/store_test_support.h"
#include "viewer/thumbnail.h"

namespace px {
namespace {

constexpr int64_t kNow = 1700000000;

class HomeCardsTest : public test::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    reload("", "");
  }
  void TearDown() override {
    reload("", "");
    DataFolderTest::TearDown();
  }
  // Lists as the start-up reads them from these file contents.
  void reload(std::string_view recent, std::string_view favourites) {
    writeText(kRecentFileName, recent);
    writeText(favouritesFileName(""), favourites);
    loadRecent();
    loadFavourites("");
  }
  void writeThumbnail(std::string_view id, uint8_t blue) {
    Bytes screen(64 * 36 * 4, blue);
    ASSERT_TRUE(saveThumbnail(id, screen.data(), 64, 36));
  }
  std::filesystem::path thumbFile(std::string_view id) { return thumbnailPath(id); }

  CardSectionLayout layout(SizeF client = {920, 700}) {
    return layoutHomeCards(client, kNow, {}, thumbnails_);
  }
  CardThumbnails thumbnails_;
};

TEST_F(HomeCardsTest, DamagedListFilesStillGiveTheirGoodLines) {
  const std::string longName(2000, 'x');
  reload(std::string("garbage without tabs\n\x01\x02\xff\xfe\n") +
             "1699999000\t111111111\tCaixa\r\n" + "notanumber\t222222222\tTempo ruim\n" +
             "5\t\tsem ID\n" + "1699990000\t33333333\toito digitos\n" + "1699000000\t444444444\t" +
             longName + "\n",
         std::string("\xff\xfe\x00\x01\n", 5) + "55555\tcurto\n" + "666666666\tFixo\n" +
             "777777777\n");
  const std::vector<Card> cards = currentCards();
  ASSERT_EQ(cards.size(), 5u);
  EXPECT_EQ(cards[0], (Card{"666666666", "Fixo", 0, true}));
  EXPECT_EQ(cards[1], (Card{"777777777", "777777777", 0, true}));  // no tab: named by its ID
  EXPECT_EQ(cards[2], (Card{"111111111", "Caixa", 1699999000, false}));
  EXPECT_EQ(cards[3].id, "222222222");
  EXPECT_EQ(cards[3].time, 0);  // unreadable time
  EXPECT_EQ(cards[4].id, "444444444");
  EXPECT_EQ(cards[4].name.size(), kMaxListLine - 21);  // cut with its line
  const CardSectionLayout l = layout();
  ASSERT_EQ(l.cards.size(), 4u);
  EXPECT_EQ(l.cards[2].age, "16 min");
}

TEST_F(HomeCardsTest, MissingAndDamagedThumbnailsGiveThePlaceholder) {
  reload("1699999000\t111111111\tA\n1699999000\t222222222\tB\n1699999000\t333333333\tC\n"
         "1699999000\t444444444\tD\n",
         "");
  writeThumbnail("111111111", 0x40);
  writeThumbnail("222222222", 0x40);
  writeThumbnail("444444444", 0x40);
  Bytes truncated;
  ASSERT_TRUE(readWholeFile(thumbFile("222222222"), truncated));
  truncated.resize(truncated.size() - 1);
  ASSERT_TRUE(writeFileAtomically(thumbFile("222222222"), truncated));
  // A folder where the file should be cannot be read as one.
  std::filesystem::remove(thumbFile("444444444"));
  std::filesystem::create_directory(thumbFile("444444444"));

  const CardSectionLayout l = layout();
  ASSERT_EQ(l.cards.size(), 4u);
  ASSERT_NE(l.cards[0].thumbnail, nullptr);
  EXPECT_EQ(l.cards[0].thumbnail->width, 320);
  EXPECT_EQ(l.cards[0].thumbnail->height, 180);
  ASSERT_EQ(l.cards[0].thumbnail->pixels.size(), 320u * 180 * 4);
  EXPECT_EQ(l.cards[0].thumbnail->pixels[0], 0x40);
  EXPECT_EQ(l.cards[0].thumbnail->pixels[3], 255);
  EXPECT_EQ(l.cards[1].thumbnail, nullptr);  // truncated
  EXPECT_EQ(l.cards[2].thumbnail, nullptr);  // none
  EXPECT_EQ(l.cards[3].thumbnail, nullptr);  // a folder
}

TEST_F(HomeCardsTest, ThumbnailIsReadAgainOnlyWhenTheFileChanges) {
  const std::string id = "111111111";
  writeThumbnail(id, 0x10);
  const auto first = thumbnails_.lookup(id);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(thumbnails_.lookup(id), first);  // unchanged: the same picture

  writeThumbnail(id, 0x20);
  const auto later = std::filesystem::last_write_time(thumbFile(id)) + std::chrono::seconds(5);
  std::filesystem::last_write_time(thumbFile(id), later);
  const auto second = thumbnails_.lookup(id);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(second->pixels[0], 0x20);

  std::filesystem::remove(thumbFile(id));
  EXPECT_EQ(thumbnails_.lookup(id), nullptr);

  // A damaged file replaced by a good one with the same time: the size tells them apart.
  ASSERT_TRUE(writeFileAtomically(thumbFile(id), asBytes("BM")));
  std::filesystem::last_write_time(thumbFile(id), later);
  EXPECT_EQ(thumbnails_.lookup(id), nullptr);
  writeThumbnail(id, 0x30);
  std::filesystem::last_write_time(thumbFile(id), later);
  const auto third = thumbnails_.lookup(id);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->pixels[0], 0x30);

  thumbnails_.clear();  // DPI change
  const auto fourth = thumbnails_.lookup(id);
  ASSERT_NE(fourth, nullptr);
  EXPECT_NE(fourth, third);
}

TEST_F(HomeCardsTest, CardsBelowTheStatusStripAreNeitherLaidOutNorRead) {
  std::string recent;
  for (int i = 0; i < 12; ++i) {
    recent += "1699999000\t" + std::to_string(100000000 + i) + "\tPC\n";
  }
  reload(recent, "");
  writeThumbnail("100000005", 0x40);
  EXPECT_EQ(currentCards().size(), 12u);
  EXPECT_EQ(layout({920, 700}).cards.size(), 4u);
  EXPECT_EQ(layout({920, 884}).cards.size(), 12u);
  EXPECT_NE(layout({920, 884}).cards[5].thumbnail, nullptr);
}

TEST_F(HomeCardsTest, StarTogglesTheFavouriteAndSaysSo) {
  reload("1699999000\t111111111\tCaixa\n", "");
  EXPECT_STREQ(toggleCardFavourite("", "111111111"), "Adicionado aos favoritos");
  std::vector<Card> cards = currentCards();
  ASSERT_EQ(cards.size(), 1u);  // shown once, as the favourite, with the recent's age
  EXPECT_EQ(cards[0], (Card{"111111111", "Caixa", 1699999000, true}));
  EXPECT_EQ(readText(favouritesFileName("")).substr(0, 15), "111111111\tCaixa");
  EXPECT_STREQ(toggleCardFavourite("", "111111111"), "Removido dos favoritos");
  cards = currentCards();
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_FALSE(cards[0].favourite);
}

TEST(HomeCardsClickTest, CardConnectsOnlyWhileNoHostSessionIsUnderWay) {
  EXPECT_TRUE(cardClickConnects(HostState::kIdle));
  EXPECT_FALSE(cardClickConnects(HostState::kPending));
  EXPECT_FALSE(cardClickConnects(HostState::kActive));
}

}  // namespace
}  // namespace px
