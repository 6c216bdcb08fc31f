#include "store/connection_lists.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "base/atomic_file.h"
#include "base/data_folder.h"
#include "store/text_line_end.h"

namespace px {
namespace {

std::mutex listsLock;
std::vector<RecentEntry> recentList;        // guarded by listsLock; newest first
std::vector<FavouriteEntry> favouriteList;  // guarded by listsLock
std::atomic<RecentsChangedHook> recentsChangedHook{nullptr};

// Reads lines into `onLine` until it returns false. A line longer than kMaxListLine is cut there
// and the rest of it dropped, so that a long name can never turn into a line of its own.
template <typename OnLine>
void forEachLine(std::istream& in, OnLine onLine) {
  std::string line;
  std::istreambuf_iterator<char> it(in), end;
  while (it != end) {
    line.clear();
    for (; it != end && *it != '\n'; ++it) {
      if (line.size() < kMaxListLine) line.push_back(*it);
    }
    if (it != end) ++it;
    if (!onLine(line)) break;
  }
}

std::string_view trimLineEnd(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  return text;
}

// Fields are separated by tabs and lines by line feeds; a name must not break either.
std::string fileSafeName(std::string_view name) {
  std::string out(name);
  std::replace_if(
      out.begin(), out.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return out;
}

bool isStorableId(std::string_view id) {
  return !id.empty() && id.find_first_of("\t\r\n") == std::string_view::npos;
}

std::filesystem::path recentFile() { return dataFolder() / kRecentFileName; }

bool parseRecentLine(std::string_view line, RecentEntry& entry) {
  const size_t first = line.find('\t');
  if (first == std::string_view::npos) return false;
  const size_t second = line.find('\t', first + 1);
  if (second == std::string_view::npos) return false;
  entry.id = std::string(line.substr(first + 1, second - first - 1));
  if (entry.id.empty()) return false;
  entry.time = std::strtoll(std::string(line.substr(0, first)).c_str(), nullptr, 10);
  entry.name = std::string(trimLineEnd(line.substr(second + 1)));
  return true;
}

bool parseFavouriteLine(std::string_view line, FavouriteEntry& entry) {
  line = trimLineEnd(line);
  const size_t tab = line.find('\t');
  entry.id = std::string(line.substr(0, tab));
  entry.name = tab == std::string_view::npos ? entry.id : std::string(line.substr(tab + 1));
  return entry.id.size() == kFavouriteIdLength;
}

std::string formatRecent(const std::vector<RecentEntry>& entries) {
  std::string text;
  for (const RecentEntry& e : entries) {
    text += std::to_string(e.time) + "\t" + e.id + "\t" + fileSafeName(e.name);
    text += textLineEnd();
  }
  return text;
}

std::string formatFavourites(const std::vector<FavouriteEntry>& entries) {
  std::string text;
  for (const FavouriteEntry& e : entries) {
    text += e.id + "\t" + fileSafeName(e.name);
    text += textLineEnd();
  }
  return text;
}

// Failures are silent: the lists stay right in memory and the old file stays whole on disk.
void writeTextFile(const std::filesystem::path& file, const std::string& text) {
  writeFileAtomically(file, asBytes(text));
}

}  // namespace

int64_t unixTimeNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string favouritesFileKey(std::string_view loginName) {
  std::string key;
  for (char c : loginName) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '-' || c == '_';
    if (keep) key.push_back(c);
  }
  return key.empty() ? "tecnico" : key;
}

std::string favouritesFileName(std::string_view loginName) {
  return "favoritos-" + favouritesFileKey(loginName) + ".txt";
}

std::vector<RecentEntry> readRecentLines(std::istream& in) {
  std::vector<RecentEntry> entries;
  forEachLine(in, [&](std::string_view line) {
    RecentEntry entry;
    if (parseRecentLine(line, entry)) entries.push_back(std::move(entry));
    return entries.size() < kMaxRecent;
  });
  return entries;
}

std::vector<FavouriteEntry> readFavouriteLines(std::istream& in) {
  std::vector<FavouriteEntry> entries;
  forEachLine(in, [&](std::string_view line) {
    FavouriteEntry entry;
    if (parseFavouriteLine(line, entry)) entries.push_back(std::move(entry));
    return entries.size() < kMaxFavouritesLoaded;
  });
  return entries;
}

void loadRecent() {
  std::ifstream in(recentFile(), std::ios::binary);
  if (!in) return;
  std::vector<RecentEntry> loaded = readRecentLines(in);
  std::lock_guard lock(listsLock);
  recentList = std::move(loaded);
}

void addRecent(std::string_view id, std::string_view name, int64_t now) {
  // An ID comes from the remote side too; one with a line break could forge lines of the file.
  if (!isStorableId(id)) return;
  {
    std::lock_guard lock(listsLock);
    std::erase_if(recentList, [&](const RecentEntry& e) { return e.id == id; });
    recentList.insert(recentList.begin(),
                      RecentEntry{std::string(id), std::string(name.empty() ? id : name), now});
    if (recentList.size() > kMaxRecent) recentList.resize(kMaxRecent);
    writeTextFile(recentFile(), formatRecent(recentList));
  }
  if (RecentsChangedHook hook = recentsChangedHook.load()) hook();
}

void loadFavourites(std::string_view loginName) {
  std::lock_guard lock(listsLock);
  favouriteList.clear();
  std::ifstream in(dataFolder() / favouritesFileName(loginName), std::ios::binary);
  if (in) favouriteList = readFavouriteLines(in);
}

void clearFavourites() {
  std::lock_guard lock(listsLock);
  favouriteList.clear();
}

void toggleFavourite(std::string_view loginName, std::string_view id) {
  if (!isStorableId(id)) return;
  std::lock_guard lock(listsLock);
  const auto found = std::find_if(favouriteList.begin(), favouriteList.end(),
                                  [&](const FavouriteEntry& f) { return f.id == id; });
  if (found != favouriteList.end()) {
    favouriteList.erase(found);
  } else {
    std::string name(id);
    for (const RecentEntry& r : recentList) {
      if (r.id == id && !r.name.empty()) {
        name = r.name;
        break;
      }
    }
    favouriteList.push_back(FavouriteEntry{std::string(id), std::move(name)});
  }
  writeTextFile(dataFolder() / favouritesFileName(loginName), formatFavourites(favouriteList));
}

std::vector<RecentEntry> recentEntries() {
  std::lock_guard lock(listsLock);
  return recentList;
}

std::vector<FavouriteEntry> favouriteEntries() {
  std::lock_guard lock(listsLock);
  return favouriteList;
}

ConnectionLists connectionListsSnapshot() {
  std::lock_guard lock(listsLock);
  return {recentList, favouriteList};
}

void setRecentsChangedHook(RecentsChangedHook hook) { recentsChangedHook.store(hook); }

}  // namespace px
