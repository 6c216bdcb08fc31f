#include "ui/card_list.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace px {
namespace {

constexpr int64_t kMinute = 60;
constexpr int64_t kHour = 3600;
constexpr int64_t kDay = 86400;

int64_t recentTimeOf(const std::vector<CardRecentInput>& recents, std::string_view id) {
  for (const CardRecentInput& r : recents) {
    if (r.id == id) return r.time;
  }
  return 0;
}

// A damaged recent.txt can hold any 64-bit time; the difference must not overflow.
int64_t saturatingAge(int64_t now, int64_t time) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  if (time < 0 && now > kMax + time) return kMax;
  if (time > 0 && now < kMin + time) return kMin;
  return now - time;
}

}  // namespace

bool isNineDigitId(std::string_view id) {
  return id.size() == 9 &&
         std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<Card> buildCardList(const std::vector<CardFavouriteInput>& favourites,
                                const std::vector<CardRecentInput>& recents) {
  std::vector<Card> cards;
  cards.reserve(favourites.size() + recents.size());
  for (const CardFavouriteInput& f : favourites) {
    cards.push_back({f.id, f.name, recentTimeOf(recents, f.id), true});
  }
  const size_t favouriteCount = cards.size();
  for (const CardRecentInput& r : recents) {
    if (!isNineDigitId(r.id)) continue;
    const auto end = cards.begin() + std::ptrdiff_t(favouriteCount);
    const bool pinned =
        std::any_of(cards.begin(), end, [&](const Card& c) { return c.id == r.id; });
    if (!pinned) cards.push_back({r.id, r.name, r.time, false});
  }
  return cards;
}

std::string cardAgeText(int64_t time, int64_t now) {
  if (time == 0) return kFavouriteAgeText;
  const int64_t age = saturatingAge(now, time);
  if (age >= kDay) return std::to_string(age / kDay) + " d";
  if (age >= kHour) return std::to_string(age / kHour) + " h";
  if (age >= kMinute) return std::to_string(age / kMinute) + " min";
  return kJustNowAgeText;
}

const char* cardsHeading(const std::vector<Card>& cards) {
  const bool anyFavourite =
      std::any_of(cards.begin(), cards.end(), [](const Card& c) { return c.favourite; });
  return anyFavourite ? kCardsHeadingWithFavourites : kCardsHeadingRecentOnly;
}

const char* favouriteToggledStatus(bool nowFavourite) {
  return nowFavourite ? kFavouriteAddedStatus : kFavouriteRemovedStatus;
}

}  // namespace px
