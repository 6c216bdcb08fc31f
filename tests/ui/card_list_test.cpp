#include "ui/card_list.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace px {

std::ostream& operator<<(std::ostream& os, const Card& c) {
  return os << "{" << c.id << ", " << c.name << ", " << c.time << (c.favourite ? ", fav}" : "}");
}

namespace {

TEST(UiCardListTest, FavouritesFirstThenRecentsThatAreNotPinned) {
  const std::vector<CardFavouriteInput> favourites = {
      {"222222222", "Caixa"}, {"999999999", "Nunca usado"}, {"111111111", "Servidor"}};
  const std::vector<CardRecentInput> recents = {
      {"111111111", "Servidor novo nome", 900}, {"333333333", "Recepção", 800},
      {"222222222", "Caixa", 700},              {"444444444", "Estoque", 600}};
  const std::vector<Card> expected = {
      {"222222222", "Caixa", 700, true},         // timed by its recent entry
      {"999999999", "Nunca usado", 0, true},     // never connected: no time
      {"111111111", "Servidor", 900, true},      // the favourite's name, the recent's time
      {"333333333", "Recepção", 800, false},
      {"444444444", "Estoque", 600, false},
  };
  EXPECT_EQ(buildCardList(favourites, recents), expected);
}

TEST(UiCardListTest, OnlyRecentsWithNineAsciiDigitsGetACard) {
  const std::vector<CardRecentInput> recents = {
      {"12345678", "oito", 1},      {"1234567890", "dez", 2}, {"12345678a", "letra", 3},
      {"123 45678", "espaço", 4},   {"", "vazio", 5},         {"１23456789", "largo", 6},
      {"987654321", "certo", 7},
  };
  const std::vector<Card> expected = {{"987654321", "certo", 7, false}};
  EXPECT_EQ(buildCardList({}, recents), expected);
}

TEST(UiCardListTest, FavouritesAreTakenAsTheyComeAndTheNewestRecentTimesThem) {
  // The favourites file admits any nine characters; a recent list read from a damaged file can
  // hold an ID twice (newest first).
  const std::vector<CardFavouriteInput> favourites = {{"abcdefghi", "Nome"}, {"555555555", "A"}};
  const std::vector<CardRecentInput> recents = {{"555555555", "A", 50}, {"555555555", "A", 40}};
  const std::vector<Card> cards = buildCardList(favourites, recents);
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0], (Card{"abcdefghi", "Nome", 0, true}));
  EXPECT_EQ(cards[1], (Card{"555555555", "A", 50, true}));
}

TEST(UiCardListTest, HeadingNamesFavouritesOnlyWhenThereAreSome) {
  EXPECT_STREQ(cardsHeading({}), "Conexões recentes");
  EXPECT_STREQ(cardsHeading({{"111111111", "a", 5, false}}), "Conexões recentes");
  EXPECT_STREQ(cardsHeading({{"111111111", "a", 5, true}}), "Favoritos e conexões recentes");
}

TEST(UiCardListTest, AgeTextAtEachBoundary) {
  constexpr int64_t now = 1700000000;
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  struct Case {
    int64_t time;
    int64_t now;
    const char* text;
  };
  const Case cases[] = {
      {0, now, "favorito"},              // no time known
      {now - 0, now, "agora"},
      {now - 59, now, "agora"},
      {now - 60, now, "1 min"},
      {now - 3599, now, "59 min"},
      {now - 3600, now, "1 h"},
      {now - 86399, now, "23 h"},
      {now - 86400, now, "1 d"},
      {now - 3 * 86400 - 5, now, "3 d"},
      {now + 30, now, "agora"},          // clock set back: negative age
      {now + 100000, now, "agora"},
      {-86400, 0, "1 d"},                // before 1970
      {kMin + 1, now, "106751991167300 d"},  // would overflow the difference
      {kMax, -1, "agora"},
      {kMin, kMax, "106751991167300 d"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cardAgeText(c.time, c.now), c.text) << c.time << " at " << c.now;
  }
}

TEST(UiCardListTest, StarClickStatusSaysWhatHappened) {
  EXPECT_STREQ(favouriteToggledStatus(true), "Adicionado aos favoritos");
  EXPECT_STREQ(favouriteToggledStatus(false), "Removido dos favoritos");
}

}  // namespace
}  // namespace px
