#include "app/home_cards.h"

#include <algorithm>

#include "store/connection_lists.h"

namespace px {

std::vector<Card> currentCards() {
  const ConnectionLists lists = connectionListsSnapshot();
  std::vector<CardFavouriteInput> favourites;
  favourites.reserve(lists.favourites.size());
  for (const FavouriteEntry& f : lists.favourites) favourites.push_back({f.id, f.name});
  std::vector<CardRecentInput> recents;
  recents.reserve(lists.recents.size());
  for (const RecentEntry& r : lists.recents) recents.push_back({r.id, r.name, r.time});
  return buildCardList(favourites, recents);
}

CardSectionLayout layoutHomeCards(SizeF client, int64_t now, const HoverState& hover,
                                  CardThumbnails& thumbnails) {
  CardSectionLayout layout = layoutCardSection(client, currentCards(), now, hover);
  // Only the cards drawn: files of cards below the status strip are never read.
  for (CardLayout& card : layout.cards) card.thumbnail = thumbnails.lookup(card.id);
  return layout;
}

bool cardClickConnects(HostState state) { return state == HostState::kIdle; }

const char* toggleCardFavourite(std::string_view loginName, std::string_view id) {
  toggleFavourite(loginName, id);
  const std::vector<FavouriteEntry> favourites = favouriteEntries();
  const bool nowFavourite = std::any_of(favourites.begin(), favourites.end(),
                                        [&](const FavouriteEntry& f) { return f.id == id; });
  return favouriteToggledStatus(nowFavourite);
}

}  // namespace px
