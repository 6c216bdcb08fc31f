// The cards of the home screen: one per favourite, then one per recent connection that is not a
// favourite, and the age text each shows. Plain values in, so the lists' owner stays out of ui.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace px {

inline constexpr const char* kCardsHeadingWithFavourites = "Favoritos e conexões recentes";
inline constexpr const char* kCardsHeadingRecentOnly = "Conexões recentes";
inline constexpr const char* kNoCardsHint =
    "Nenhuma conexão recente. Clique na estrela de um cartão para fixá-lo aqui.";
inline constexpr const char* kFavouriteAgeText = "favorito";
inline constexpr const char* kJustNowAgeText = "agora";
inline constexpr const char* kFavouriteAddedStatus = "Adicionado aos favoritos";
inline constexpr const char* kFavouriteRemovedStatus = "Removido dos favoritos";

struct CardRecentInput {
  std::string id, name;
  int64_t time = 0;  // seconds since 1970
};

struct CardFavouriteInput {
  std::string id, name;
};

struct Card {
  std::string id, name;  // UTF-8
  int64_t time = 0;      // seconds since 1970; 0 when no time is known
  bool favourite = false;
  friend bool operator==(const Card&, const Card&) = default;
};

// Favourites in their order (timed by their recent entry, 0 without one), then the recents in
// theirs (newest first) whose ID is nine ASCII digits and not a favourite's.
std::vector<Card> buildCardList(const std::vector<CardFavouriteInput>& favourites,
                                const std::vector<CardRecentInput>& recents);

bool isNineDigitId(std::string_view id);

// "favorito" for time 0; else the age now − time as whole days " d", hours " h", minutes " min",
// or "agora" under a minute (a clock set back gives a negative age, also "agora").
std::string cardAgeText(int64_t time, int64_t now);

const char* cardsHeading(const std::vector<Card>& cards);

// The status after a star click toggled the favourite.
const char* favouriteToggledStatus(bool nowFavourite);

}  // namespace px
