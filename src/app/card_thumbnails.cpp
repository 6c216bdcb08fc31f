#include "app/card_thumbnails.h"

#include <system_error>

#include "base/atomic_file.h"
#include "viewer/thumbnail.h"

namespace px {
namespace {

std::shared_ptr<const CardThumbnail> readPicture(const std::filesystem::path& path) {
  Bytes file;
  if (!readWholeFile(path, file, kThumbnailFileSize)) return nullptr;
  auto picture = std::make_shared<CardThumbnail>();
  if (!decodeThumbnailBmp(file, picture->pixels)) return nullptr;
  picture->width = kThumbnailWidth;
  picture->height = kThumbnailHeight;
  return picture;
}

}  // namespace

std::shared_ptr<const CardThumbnail> CardThumbnails::lookup(std::string_view id) {
  const std::filesystem::path path = thumbnailPath(id);
  std::error_code error;
  const auto written = std::filesystem::last_write_time(path, error);
  const uintmax_t size = error ? 0 : std::filesystem::file_size(path, error);
  if (error) {
    // Gone (or unreadable): forget it, so a new file is read whatever its time.
    if (auto found = entries_.find(id); found != entries_.end()) entries_.erase(found);
    return nullptr;
  }
  auto found = entries_.find(id);
  if (found != entries_.end() && found->second.written == written && found->second.size == size) {
    return found->second.picture;
  }
  Entry entry{written, size, readPicture(path)};
  if (found != entries_.end()) {
    found->second = std::move(entry);
    return found->second.picture;
  }
  return entries_.emplace(std::string(id), std::move(entry)).first->second.picture;
}

}  // namespace px
