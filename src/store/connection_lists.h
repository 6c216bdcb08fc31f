// The home screen's two lists of remote computers, under one lock: the recent connections
// (recent.txt, newest first, at most 12) and the favourites of the logged-in account
// ("favoritos-" + file key + ".txt"). Both files are UTF-8 text rewritten whole after each change.
//
//   recent.txt:     "<time>\t<ID>\t<name>\n", time in seconds since 1970 (UTC)
//   favourites:     "<ID>\t<name>\n"
// Tabs, carriage returns and line feeds inside names are written as spaces.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace px {

constexpr const char* kRecentFileName = "recent.txt";
constexpr size_t kMaxRecent = 12;
constexpr size_t kMaxFavouritesLoaded = 48;
constexpr size_t kFavouriteIdLength = 9;
constexpr size_t kMaxListLine = 511;  // longer lines are cut here; their rest is dropped

struct RecentEntry {
  std::string id;
  std::string name;
  int64_t time = 0;
  friend bool operator==(const RecentEntry&, const RecentEntry&) = default;
};

struct FavouriteEntry {
  std::string id;
  std::string name;
  friend bool operator==(const FavouriteEntry&, const FavouriteEntry&) = default;
};

int64_t unixTimeNow();

// Replaces the recent list from recent.txt; a missing file leaves the list as it is. Start-up.
void loadRecent();

// Records a session with `id` (nothing when it is empty): moves it to the front with `name` (the
// ID when the name is empty) and `now`, keeps the newest 12, rewrites recent.txt, then calls the
// recents-changed hook after the lock is released. Any thread.
void addRecent(std::string_view id, std::string_view name, int64_t now = unixTimeNow());

// Replaces the favourites with those of `loginName`'s file (empty when it is missing).
void loadFavourites(std::string_view loginName);

// Empties the favourites in memory (logout, an expired login); the file stays for the next login.
void clearFavourites();

// Adds `id` when absent (named after its recent entry, or by the ID), removes it when present,
// and rewrites `loginName`'s file. The caller copies the login name under the account lock and
// releases that lock first; the two locks are never held together.
void toggleFavourite(std::string_view loginName, std::string_view id);

// Copies taken under the lists lock, for drawing the cards.
std::vector<RecentEntry> recentEntries();
std::vector<FavouriteEntry> favouriteEntries();

struct ConnectionLists {
  std::vector<RecentEntry> recents;
  std::vector<FavouriteEntry> favourites;
};
// Both lists from one hold of the lock, so the cards never mix two states of them.
ConnectionLists connectionListsSnapshot();

// Called after add recent, on the caller's thread and without the lists lock; the shell posts
// 0x8005 to the main window from it. Null removes it.
using RecentsChangedHook = void (*)();
void setRecentsChangedHook(RecentsChangedHook hook);

// The file parsers: at most 12 recent entries (lines without two tabs or with an empty ID
// skipped), at most 48 favourites (IDs of exactly 9 characters only).
std::vector<RecentEntry> readRecentLines(std::istream& in);
std::vector<FavouriteEntry> readFavouriteLines(std::istream& in);

// The login reduced to ASCII letters, digits, '.', '-' and '_'; "tecnico" when nothing is left.
std::string favouritesFileKey(std::string_view loginName);
std::string favouritesFileName(std::string_view loginName);

}  // namespace px
