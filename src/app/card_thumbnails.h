// The decoded thumbnails of the cards, per remote ID, read again only when the file changes.
// Main thread only: the cards are painted there, and the lists lock is never held meanwhile.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "ui/card_layout.h"

namespace px {

class CardThumbnails {
 public:
  // The picture of `id`'s thumbnail file, or null when there is none or it is damaged (the card
  // shows the placeholder). The file is read again when its last-write time or size changed.
  std::shared_ptr<const CardThumbnail> lookup(std::string_view id);

  // On a DPI change, with the render target.
  void clear() { entries_.clear(); }

 private:
  struct Entry {
    std::filesystem::file_time_type written;
    uintmax_t size = 0;
    std::shared_ptr<const CardThumbnail> picture;  // null for a damaged file
  };
  std::map<std::string, Entry, std::less<>> entries_;
};

}  // namespace px
