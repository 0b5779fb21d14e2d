#include "site/EpisodePages.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

#include "site/EpisodeCode.h"
#include "site/EpisodePageReader.h"
#include "store/ShowTable.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

constexpr int kSecondsPerDay = 86400;
constexpr int kNotDuePauseMs = 10;
constexpr int kFailedDownloadPauseMs = 2000;
constexpr int kCheckFailed = -1;
constexpr int kNothingUsable = -2;

// The time of day rounded to a whole second, kept in 0..86399 (a time that
// rounds up to 86400 is the coming midnight, 0).
std::int32_t WholeSecondOfDay(double seconds) {
  if (!std::isfinite(seconds)) return 0;
  const long long rounded = std::llround(seconds) % kSecondsPerDay;
  return static_cast<std::int32_t>(rounded < 0 ? rounded + kSecondsPerDay : rounded);
}

// "(k/count)".
std::string CounterText(int k, int count) {
  std::string text(1, '(');
  text.append(ToDecimal(k));
  text.push_back('/');
  text.append(ToDecimal(count));
  text.push_back(')');
  return text;
}

// What the check needs of a favourite's record, copied under the lock.
struct DueShow {
  std::size_t index = 0;
  std::string name;
  std::string pagePath;
  std::int32_t lastChecked = 0;
  std::vector<Episode> episodes;
};

std::optional<DueShow> CopyShow(ShowStore& store, std::string_view name) {
  std::lock_guard lock(store.mutex);
  const ShowTable& table = store.showTable;
  const std::size_t index = FindShow(table, name);
  if (!ShowFound(table, index)) return std::nullopt;
  const ShowRecord& record = table[index];
  return DueShow{index, record.name, record.pagePath, record.lastChecked, record.episodes};
}

// Commits a favourite's new episodes, unless the check was abandoned. The
// record is looked up by index and name again, so a table that was rebuilt
// meanwhile is never written at a stale index.
bool CommitShow(EpisodeCheckJob& job, DueShow& show, std::int32_t checkedAt) {
  std::lock_guard lock(job.store.mutex);
  if (job.cancel->Raised()) return false;
  ShowTable& table = job.store.showTable;
  if (ShowFound(table, show.index) && table[show.index].name == show.name) {
    table[show.index].episodes = std::move(show.episodes);
    table[show.index].lastChecked = checkedAt;
  }
  return true;
}

bool MarkEpisodesChecked(ShowStore& store, const CancelToken& cancel) {
  std::lock_guard lock(store.mutex);
  if (cancel->Raised()) return false;
  store.episodesChecked = true;
  return true;
}

// Which of two copies of one episode stays. When their sizes differ by the
// ratio 1.5 or more (either order), a show that prefers 720p keeps the larger
// and one that prefers standard quality the smaller; copies of similar size
// keep the first. A size of 0 (none in the link's title) or one that is not
// a number says nothing about the quality: the first copy stays. Quiet
// comparisons, so that no value can raise an exception.
bool KeepLaterCopy(float later, float earlier, std::int16_t quality) {
  if (!std::isgreater(later, 0.0f) || !std::isgreater(earlier, 0.0f)) return false;
  const bool laterIsLarger = std::isgreater(later, earlier);
  const double larger = laterIsLarger ? later : earlier;
  const double smaller = laterIsLarger ? earlier : later;
  if (!std::isgreaterequal(larger / smaller, 1.5)) return false;
  return quality == 1 ? laterIsLarger : !laterIsLarger;
}

// A record's working copy: the positions, in the record's episode list, of
// the entries still in it. Removing entry x moves the later entries down by
// one, as it would in the record's own arrays, but only positions are moved.
struct WorkingCopy {
  const std::vector<Episode>* source = nullptr;
  std::vector<std::size_t> entries;

  const Episode& at(std::size_t x) const { return (*source)[entries[x]]; }
  void Remove(std::size_t x) { entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(x)); }
};

// One pass per index e from the last index down to 1. A pass removes at most
// one entry, so when the pass for e starts at most (last - e) entries are gone
// and the list still has an entry e: e and e - 1 are always inside it.
void RemoveDuplicates(WorkingCopy& copy, std::int16_t quality) {
  for (std::size_t e = copy.entries.empty() ? 0 : copy.entries.size() - 1; e >= 1; --e) {
    const Episode& later = copy.at(e);
    const Episode& earlier = copy.at(e - 1);
    if (CompareEpisodeCodes(later.episodeCode, earlier.episodeCode) != 0) continue;
    copy.Remove(KeepLaterCopy(later.sizeMb, earlier.sizeMb, quality) ? e - 1 : e);
  }
}

void RemoveWatched(WorkingCopy& copy, std::string_view lastWatched) {
  std::erase_if(copy.entries,
                [&](std::size_t entry) { return !IsNewerEpisode((*copy.source)[entry].episodeCode, lastWatched); });
}

std::vector<Episode> Episodes(const WorkingCopy& copy) {
  std::vector<Episode> episodes;
  episodes.reserve(copy.entries.size());
  for (const std::size_t entry : copy.entries) episodes.push_back((*copy.source)[entry]);
  return episodes;
}

}  // namespace

std::string EpisodePageUrl(std::string_view siteUrl, std::string_view pagePath) {
  std::string_view path = TrimBlanks(pagePath);
  const std::size_t first = path.find_first_not_of('/');
  path =
      first == std::string_view::npos ? std::string_view() : path.substr(first, path.find_last_not_of('/') - first + 1);
  std::string url(siteUrl);
  url.append(path);
  url.push_back('/');
  return url;
}

int CheckEpisodePages(EpisodeCheckJob& job) {
  std::string favorites;
  {
    std::lock_guard lock(job.store.mutex);
    if (job.cancel->Raised()) return kCheckFailed;
    job.store.episodesChecked = false;
    favorites = job.store.lists.favoritesText;
  }
  const std::vector<std::string_view> lines = ListEntries(favorites);
  const int count = static_cast<int>(lines.size());

  for (int k = 1; k <= count; ++k) {
    if (job.cancel->Raised()) return kCheckFailed;
    const std::string_view name = FavoriteName(lines[static_cast<std::size_t>(k - 1)]);
    job.window.SetCurrentShow(std::string(TrimBlanks(name)));
    job.window.SetCounter(CounterText(k, count));

    std::optional<DueShow> show = CopyShow(job.store, name);
    if (!show) continue;  // not on the site any more; pruned after the next refresh

    // No wrapping: a show checked at 23:59:50 is due again at 00:00:00.
    if (std::fabs(static_cast<double>(show->lastChecked) - job.clock.SecondsSinceMidnight()) < kRecheckSeconds) {
      job.clock.Sleep(kNotDuePauseMs);
      continue;
    }

    const std::string page = job.fetcher.URLDownloadToString(EpisodePageUrl(job.siteUrl, show->pagePath));
    if (job.cancel->Raised()) return kCheckFailed;
    if (page.empty()) {
      job.clock.Sleep(kFailedDownloadPauseMs);
      return kCheckFailed;
    }
    if (page.find(kEpisodeLinkMarker) == std::string::npos) {
      // A show announced but not aired yet: it has no episodes (lastEpisode
      // -1), and the check goes on with the next favourite.
      show->episodes.clear();
    } else {
      show->episodes = ReadEpisodePage(page, show->episodes);
      SortEpisodesByCode(show->episodes);
    }
    if (!CommitShow(job, *show, WholeSecondOfDay(job.clock.SecondsSinceMidnight()))) return kCheckFailed;
  }

  if (!MarkEpisodesChecked(job.store, job.cancel)) return kCheckFailed;
  return count;
}

NewEpisodeChoice ChooseNewEpisodes(const ShowTable& table, std::string_view favoritesText) {
  struct Favorite {
    int number;
    std::size_t index;
  };
  std::vector<Favorite> favorites;
  std::set<std::size_t> handedOver;
  int number = 0;
  for (const std::string_view line : ListEntries(favoritesText)) {
    ++number;
    const std::size_t index = FindShow(table, FavoriteName(line));
    // A show listed twice is handed over once, for its first line.
    if (ShowFound(table, index) && handedOver.insert(index).second) favorites.push_back({number, index});
  }

  // The working copy holds the records that a favourite reaches; the others
  // would never be read.
  std::map<std::size_t, WorkingCopy> working;
  for (const Favorite& favorite : favorites) {
    if (working.count(favorite.index) != 0) continue;
    const ShowRecord& record = table[favorite.index];
    std::string key(1, '\n');
    key.append(TrimBlanks(record.name));
    key.push_back('|');
    WorkingCopy& copy = working[favorite.index];
    copy.source = &record.episodes;
    if (favoritesText.find(key) == std::string_view::npos) continue;
    copy.entries.resize(record.episodes.size());
    for (std::size_t x = 0; x < copy.entries.size(); ++x) copy.entries[x] = x;
  }

  for (const Favorite& favorite : favorites) {
    RemoveDuplicates(working[favorite.index], table[favorite.index].quality);
  }

  NewEpisodeChoice choice;
  for (const Favorite& favorite : favorites) {
    WorkingCopy& copy = working[favorite.index];
    RemoveWatched(copy, table[favorite.index].lastWatched);
    choice.total += static_cast<int>(copy.entries.size());
  }
  for (const Favorite& favorite : favorites) {
    choice.shows.push_back({favorite.number, favorite.index, Episodes(working[favorite.index])});
  }
  if (choice.total == 0) choice.total = kNothingUsable;
  return choice;
}

}  // namespace epiloom
