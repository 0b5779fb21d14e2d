// The show store: the table of the site's shows and the user's lists, shared
// by the main window and one worker at a time.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "store/ShowRecord.h"

namespace epiloom {

// The user's lists as LF-framed texts: an LF, then every line followed by an
// LF. The empty string means "never loaded in this run"; a single LF is an
// empty list.
struct UserLists {
  std::string favoritesText;     // one favourite line per entry
  std::string blacklistText;     // one show name per entry
  std::string missingFavorites;  // favourites' names not (yet) found on the site
};

// The counts the main window shows and their texts, as last written; -1
// before the first write.
struct ShownCounts {
  int listedShows = -1;
  int favorites = -1;
  int unwatchedFavorites = -1;
  int blacklisted = -1;
  std::string statusText;
  std::string settingsText;
  std::string blacklistText;
};

// Owned by the application for the whole run. Workers build their results on
// local data and commit them under `mutex` only while they are not cancelled;
// the window's thread takes the lock too when it reads or edits.
struct ShowStore {
  std::mutex mutex;
  ShowTable showTable;
  UserLists lists;
  ShownCounts shownCounts;
  // True once an episode check has gone through all favourites.
  bool episodesChecked = false;
};

}  // namespace epiloom
