// The home screen's cards from the recent and favourite lists and the thumbnail files, and what
// a click on a card or its star does. The window paints the layout and registers its regions.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/card_thumbnails.h"
#include "host/host_state.h"
#include "ui/card_layout.h"
#include "ui/card_list.h"
#include "ui/main_mouse.h"

namespace px {

// The card list, from one copy of both lists taken under the lists lock.
std::vector<Card> currentCards();

// The section for a paint: the cards that fit in `client`, each with its thumbnail when the file
// exists and is whole. The lists lock is released before any thumbnail file is read.
CardSectionLayout layoutHomeCards(SizeF client, int64_t now, const HoverState& hover,
                                  CardThumbnails& thumbnails);

// A card click connects (the ID into the ID edit, then command 102) only while no host session is
// pending or active.
bool cardClickConnects(HostState state);

// Star click: toggles `id` in `loginName`'s favourites and returns the status to show.
const char* toggleCardFavourite(std::string_view loginName, std::string_view id);

}  // namespace px
