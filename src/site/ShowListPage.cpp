#include "site/ShowListPage.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "i18n/MainWindowTexts.h"
#include "store/Counters.h"
#include "store/ListIndex.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

std::string FieldValue(std::string_view field, std::size_t width) {
  return std::string(TrimBlanks(CutTo(TrimBlanks(field), width)));
}

// The next "|" of an entry once every separator is replaced by "|": a "|" of
// the page or a separator, whichever comes first (separators never overlap
// each other and hold no "|"). Returns its position and length.
std::pair<std::size_t, std::size_t> NextField(std::string_view entry, std::size_t from) {
  const std::size_t bar = entry.find('|', from);
  const std::size_t separator = entry.find(kPathTitleSeparator, from);
  if (separator < bar) return {separator, kPathTitleSeparator.size()};
  return {bar, 1};
}

}  // namespace

std::vector<ShowListEntry> ReadShowListPage(std::string_view page) {
  std::vector<ShowListEntry> entries;
  std::size_t p = 0;
  while (entries.size() < kShowTableCapacity) {
    const std::size_t start = page.find(kShowEntryStart, p);
    if (start == std::string_view::npos) break;
    p = start + kShowEntryStart.size();
    const std::size_t end = page.find(kShowEntryEnd, p);
    if (end == std::string_view::npos) break;
    // The entry read as if every separator were a "|": the first field is the
    // path, the second the name.
    const std::string_view entry = page.substr(p, end - p);
    if (TrimBlanks(entry).empty()) continue;
    const auto [first, firstLength] = NextField(entry, 0);
    std::string_view name;
    if (first != std::string_view::npos) {
      const std::size_t nameStart = first + firstLength;
      const std::size_t nameEnd = NextField(entry, nameStart).first;
      name = entry.substr(nameStart, nameEnd == std::string_view::npos ? std::string_view::npos : nameEnd - nameStart);
    }
    entries.push_back({FieldValue(name, kNameWidth), FieldValue(entry.substr(0, first), kPagePathWidth)});
  }
  return entries;
}

std::int32_t FreshLastChecked(double secondsSinceMidnight) {
  constexpr long long kDay = 86400;
  const long long seconds = std::llround(secondsSinceMidnight - kFreshShowAgeSeconds + kDay);
  return static_cast<std::int32_t>((seconds % kDay + kDay) % kDay);
}

int ReadShowList(ShowListJob& job) {
  WorkerShowListView& window = job.window;
  const auto abandoned = [&job] { return job.cancel->Raised(); };
  if (abandoned()) return kShowListAbandoned;

  job.statusPhase.store(kGettingShowList);
  window.SetStatusText(job.texts[TextKey::Populate]);
  window.ShowSpinner(true);

  // The lists are read whole before anything reaches the store.
  const UserLists lists = LoadUserLists(job.folder);
  ShowTable previous;
  {
    std::lock_guard lock(job.store.mutex);
    if (abandoned()) return kShowListAbandoned;
    job.store.lists = lists;
    previous.swap(job.store.showTable);  // the fresh, blank table
  }
  previous = ShowTable();

  const std::string page = job.fetcher.URLDownloadToString(job.siteUrl + "showlist/");
  if (abandoned()) return kShowListAbandoned;
  if (page.empty()) {
    job.clock.Sleep(kShowListFailurePauseMs);
    return kShowListDownloadFailed;
  }

  std::vector<ShowListEntry> entries = ReadShowListPage(page);
  if (entries.empty()) {
    job.clock.Sleep(kShowListFailurePauseMs);
    return kShowListEmpty;
  }

  const std::int32_t lastChecked = FreshLastChecked(job.clock.SecondsSinceMidnight());
  const FavoriteKeyIndex favorites(lists.favoritesText);
  const ListLineSet blacklist(lists.blacklistText);
  MissingNames missingFavorites(lists.missingFavorites);
  ShowTable table;
  table.reserve(entries.size());
  const std::size_t batchSize = std::max<std::size_t>(job.listBatchSize, 1);
  std::vector<ListedShow> batch;
  batch.reserve(std::min(batchSize, entries.size()));
  for (ShowListEntry& entry : entries) {
    if (abandoned()) return kShowListAbandoned;
    ShowRecord& record = table.emplace_back();
    record.name = std::move(entry.name);
    record.pagePath = std::move(entry.pagePath);
    record.quality = 0;
    record.lastWatched = kNoEpisode;
    record.lastChecked = lastChecked;
    if (blacklist.Contains(record.name)) continue;  // recorded, not listed

    const std::size_t at = favorites.Find(record.name, record.pagePath);
    const bool favorite = at != std::string_view::npos;
    batch.push_back({record.name, favorite});
    if (favorite) {
      TakeFavoriteSettings(record, lists.favoritesText, at + record.name.size() + 1 + record.pagePath.size());
      // Line by line: taking out every name + LF would also cut "Lost" off
      // the end of a missing "The Lost".
      missingFavorites.Remove(record.name);
    }
    if (batch.size() == batchSize) {
      window.AppendShows(batch);
      batch.clear();
    }
  }
  if (abandoned()) return kShowListAbandoned;
  if (!batch.empty()) window.AppendShows(batch);

  RefreshCounters(job.store, window, job.texts, job.cancel.get());
  const int count = static_cast<int>(table.size());
  std::string missingText = missingFavorites.Text();
  {
    std::lock_guard lock(job.store.mutex);
    if (abandoned()) return kShowListAbandoned;
    job.store.showTable.swap(table);
    job.store.lists.missingFavorites = std::move(missingText);
  }
  return count;
}

}  // namespace epiloom
