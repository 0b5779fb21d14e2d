// The tracker site's show list page: reading it into show entries, and the
// worker that fills the show table and the main window's list from it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/LanguageTexts.h"
#include "site/PageFetcher.h"
#include "store/ShowStore.h"
#include "support/CancelFlag.h"
#include "support/Clock.h"
#include "support/ProgramFolder.h"
#include "support/ShowListView.h"

namespace epiloom {

// Start of a show entry: the text after it is the show's page path.
inline constexpr std::string_view kShowEntryStart = "<td class=\"forum_thread_post\"><a href=\"";
// End of a show entry.
inline constexpr std::string_view kShowEntryEnd = "</a></td>";
// Between the page path and the title: the "/" ending the path is part of it.
inline constexpr std::string_view kPathTitleSeparator = "/\" class=\"thread_link\">";

// Result of ReadShowList besides a show count n > 0.
inline constexpr int kShowListDownloadFailed = -1;
inline constexpr int kShowListEmpty = -2;
// Returned by a run that was abandoned; nobody reads it.
inline constexpr int kShowListAbandoned = -1;
// Pause before reporting a failure, so the user sees the attempt.
inline constexpr int kShowListFailurePauseMs = 2000;
// Shows handed to the window at a time: each batch costs the window one
// repaint, and the user still sees the list grow.
inline constexpr std::size_t kShowListBatchSize = 200;
// A show's lastChecked lies this far in the past after a refresh, so that the
// first episode check (every 600 seconds) finds every show due.
inline constexpr int kFreshShowAgeSeconds = 610;

struct ShowListEntry {
  std::string name;      // trimmed, cut to kNameWidth, trimmed again
  std::string pagePath;  // the same with kPagePathWidth
};

// The show entries of a show list page in page order, at most
// kShowTableCapacity (later ones are dropped). Each entry is the text between
// kShowEntryStart and the next kShowEntryEnd with every kPathTitleSeparator
// replaced by "|": the first "|"-field is the page path, the second the name
// (empty when there is no "|"). Entries that are blank are skipped. An entry
// without an end marker ends the page (no later entry could have one).
// Character references (&amp;) are kept as they are.
std::vector<ShowListEntry> ReadShowListPage(std::string_view page);

// lastChecked of a show read at `secondsSinceMidnight`: kFreshShowAgeSeconds
// earlier, rounded to a whole second, wrapped into 0..86399.
std::int32_t FreshLastChecked(double secondsSinceMidnight);

// What the show list worker needs. Everything held by reference belongs to
// the application and outlives the worker; the worker's own window guard and
// its copy of the language texts travel with the job.
struct ShowListJob {
  ShowListJob(ShowStore& theStore, PageFetcher& theFetcher, ProgramFolder& theFolder, Clock& theClock,
              ShowListView& mainWindow, LanguageTexts theTexts, std::string baseUrl,
              std::atomic<int>& theStatusPhase, CancelToken token)
      : store(theStore),
        fetcher(theFetcher),
        folder(theFolder),
        clock(theClock),
        window(mainWindow, token),
        texts(std::move(theTexts)),
        siteUrl(std::move(baseUrl)),
        statusPhase(theStatusPhase),
        cancel(std::move(token)) {}

  ShowStore& store;
  PageFetcher& fetcher;
  ProgramFolder& folder;
  Clock& clock;
  WorkerShowListView window;  // the main window; writes dropped once cancelled
  LanguageTexts texts;
  std::string siteUrl;  // the site's base address, ending in "/"
  std::atomic<int>& statusPhase;
  CancelToken cancel;
  std::size_t listBatchSize = kShowListBatchSize;  // shows per AppendShows, at least 1
};

// The show list worker. Sets statusPhase to 1, puts Populate on the status
// line and shows the spinner; loads the user lists and commits them to the
// store, with an empty show table; downloads siteUrl + "showlist/"; then, show
// by show in page order, makes the record, and unless the show is blacklisted
// appends it to the show list, ticked when it is a favourite,
// with the settings of its favourite line and taking its name out of
// missingFavorites (the lines equal to it). Listed shows reach the window in
// page order, listBatchSize at a time (the last batch may be smaller).
// Finally RefreshCounters, and the table and missingFavorites are committed.
// Returns the number of shows read (blacklisted ones included),
// kShowListDownloadFailed or kShowListEmpty (each after a
// kShowListFailurePauseMs pause).
//
// The store keeps an empty table after a failed run: it stands for the blank
// table, and FindShow on it finds nothing (table.size() is 0).
//
// All work is done on local data; the store is changed only under its lock and
// only while the job is not cancelled, and never while a window write is
// under way. Once cancelled, the worker stops at its next step.
int ReadShowList(ShowListJob& job);

}  // namespace epiloom
