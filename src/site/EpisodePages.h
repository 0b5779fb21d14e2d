// The episode check (reading every due favourite's episode page into its
// record) and the choice of the new episodes that the hand-off then gives to
// the torrent client.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "site/PageFetcher.h"
#include "store/ShowRecord.h"
#include "store/ShowStore.h"
#include "support/CancelFlag.h"
#include "support/Clock.h"
#include "site/EpisodeCheckView.h"

namespace epiloom {

// A favourite's page is read again only when its last check is at least this
// far from now, in seconds of the time of day (taken without wrapping at
// midnight).
inline constexpr double kRecheckSeconds = 600.0;

// How many episode pages the program's check downloads at once.
inline constexpr int kEpisodePagesAtOnce = 8;

// The address of a show's episode page: the site's base address + the page
// path without its leading and trailing "/" characters + "/".
std::string EpisodePageUrl(std::string_view siteUrl, std::string_view pagePath);

// What one episode check works with. The dialog is written through a
// worker's view on the same cancel token, so an abandoned check never writes
// to it again.
struct EpisodeCheckJob {
  EpisodeCheckJob(ShowStore& showStore, PageFetcher& pageFetcher, Clock& timeOfDay, EpisodeCheckView& dialog,
                  std::string siteAddress, CancelToken cancelToken)
      : store(showStore),
        fetcher(pageFetcher),
        clock(timeOfDay),
        window(dialog, cancelToken),
        siteUrl(std::move(siteAddress)),
        cancel(std::move(cancelToken)) {}

  ShowStore& store;
  PageFetcher& fetcher;
  Clock& clock;
  WorkerEpisodeCheckView window;  // the episode-check dialog
  std::string siteUrl;  // an http address ending in "/"
  CancelToken cancel;

  // Up to this many pages of due favourites are downloaded ahead, at once,
  // on threads of their own; 1 downloads each page in its turn. Either way
  // the dialog, the store and the result go through the same steps. No more
  // than this many pages are ever held ahead of the one the check reads.
  int pagesAtOnce = 1;
  // Owns `fetcher` and what it uses. A check that ends (cancelled, failed
  // or done) leaves its downloads ahead running without waiting for them;
  // they hold this until they return. Without it the pages are downloaded
  // in turn whatever pagesAtOnce says.
  std::shared_ptr<const void> fetcherOwner;
};

// Reads the episode page of every due favourite, in the order of the
// favourites text, into its record (episodes sorted by code, lastChecked).
// A page that holds no episode link (a show announced but not aired yet) is
// read as a show without episodes: its old episodes are dropped (lastEpisode
// -1), lastChecked is set as for any page read, and the check goes on.
// Returns the number of favourites when all were handled (0 when there is
// none), -1 when a download brought nothing (after a 2-second pause); the
// favourites after that one are not handled, those handled before it keep
// their new data.
//
// episodesChecked is false while the check runs and after a failed one, true
// after a complete one. Each favourite's page is read into a local copy and
// committed under the store's lock; once the cancel token is raised nothing
// more is written to the store, the dialog or episodesChecked, and the check
// returns -1 at the next step, also while it waits for a page downloaded
// ahead. A favourite whose show is not in the table is skipped.
//
// Pages downloaded ahead are the ones of the favourites due when the check
// starts, each show once; every step still decides with the clock of its own
// moment, takes the page downloaded ahead when it wants that very address and
// downloads it in turn otherwise. A page downloaded ahead that no step wants
// is dropped. Each favourite's page is thus requested at most once, and what
// a step writes is what the check in turn would write.
int CheckEpisodePages(EpisodeCheckJob& job);

// One favourite's part of the choice.
struct ChosenShow {
  int favoriteNumber = 0;         // k: its line in the favourites text, from 1
  std::size_t showIndex = 0;      // its record in the show table
  std::vector<Episode> episodes;  // the new episodes, oldest code first
};

// The result of the choice. `shows` has one entry per favourite show in the
// table, for its first line, in the order of the favourites text (also those
// with no new episode, whose `episodes` is empty).
struct NewEpisodeChoice {
  int total = 0;  // number of new episodes over all entries; -2 when none
  std::vector<ChosenShow> shows;
};

// The choice phase of the new-episode download: on a working copy of the
// favourites' episodes (the table is not changed),
//  1. a record is copied when the favourites text contains LF + its trimmed
//     name + "|"; a favourite whose record fails that test has no episodes;
//  2. duplicates (neighbours with equal codes) are resolved from the last
//     index down to 1, one step per index: when the two sizes differ by the
//     ratio 1.5 or more (either order), a show that prefers 720p (quality 1)
//     keeps the larger copy and one that prefers standard quality the
//     smaller; copies of similar size, or where a size is unknown (0), keep
//     the first;
//  3. every episode whose code is not newer than the show's lastWatched
//     (byte order) goes.
// A show listed twice in the favourites is chosen once, for its first line.
NewEpisodeChoice ChooseNewEpisodes(const ShowTable& table, std::string_view favoritesText);

}  // namespace epiloom
