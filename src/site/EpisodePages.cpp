#include "site/EpisodePages.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <thread>
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

// No wrapping: a show checked at 23:59:50 is due again at 00:00:00.
bool IsDue(std::int32_t lastChecked, double now) {
  return !(std::fabs(static_cast<double>(lastChecked) - now) < kRecheckSeconds);
}

// What the downloads ahead share with the check. Only the check's thread
// and the download threads use it; the last one to let go frees it, with
// its hold on the fetcher.
//
// Memory: the slots from `released` on hold the pages ahead, and a download
// starts only for a slot less than `window` slots after `released`. So a
// check holds at most `window` pages ahead, downloading or arrived, however
// many favourites it has, besides the one page it reads; a page the check
// has gone past, and every page once it has stopped, is freed at once. What
// that comes to in bytes is worked out in site/DownloadLimits.h.
struct AheadState {
  struct Slot {
    std::size_t favorite = 0;  // k - 1
    std::string url;
    std::string body;
    bool arrived = false;
  };

  AheadState(PageFetcher& pageFetcher, std::shared_ptr<const void> owner, std::size_t pagesAhead)
      : fetcher(pageFetcher), fetcherOwner(std::move(owner)), window(pagesAhead) {}

  // Frees the slot's page, if any; the slot stays.
  static void Drop(Slot& slot) { std::string().swap(slot.body); }

  PageFetcher& fetcher;
  std::shared_ptr<const void> fetcherOwner;  // keeps `fetcher` alive
  const std::size_t window;
  std::mutex mutex;
  std::condition_variable changed;  // a page arrived
  std::condition_variable room;     // the window moved, or the check stopped
  std::vector<Slot> slots;          // in the order of the favourites
  std::size_t next = 0;             // the next slot to download
  std::size_t released = 0;         // the slots before it are taken or passed
  bool stopped = false;             // no new download starts
};

// One download thread: takes the next slot in order once it is inside the
// window, downloads it into the slot's own buffer, and goes on until every
// slot is taken or the check has stopped. A download in flight when the
// check ends runs to its end (the fetcher's time-outs bound it) and its page
// is dropped.
void DownloadAhead(const std::shared_ptr<AheadState>& state) {
  for (;;) {
    std::size_t slot = 0;
    {
      std::unique_lock lock(state->mutex);
      state->room.wait(lock, [&] {
        return state->stopped || state->next == state->slots.size() ||
               state->next < state->released + state->window;
      });
      if (state->stopped || state->next == state->slots.size()) return;
      slot = state->next++;
    }
    std::string body;
    try {
      // Addresses are not changed once the threads run.
      body = state->fetcher.URLDownloadToString(state->slots[slot].url);
    } catch (...) {
      body.clear();  // failed; an exception leaving the thread would end the program
    }
    {
      std::lock_guard lock(state->mutex);
      // A page the check has stopped for, or gone past, is not kept.
      if (!state->stopped && slot >= state->released) state->slots[slot].body = std::move(body);
      state->slots[slot].arrived = true;
    }
    state->changed.notify_all();
  }
}

// The pages of a check: those downloaded ahead, and the others downloaded
// when their turn comes.
class CheckPages {
 public:
  explicit CheckPages(PageFetcher& fetcher) : fetcher_(fetcher) {}
  CheckPages(const CheckPages&) = delete;
  CheckPages& operator=(const CheckPages&) = delete;
  // The downloads in flight are abandoned, not waited for.
  ~CheckPages() { Stop(); }

  // Downloads `urls` (favourite number k - 1 -> address) ahead, in that
  // order, with at most `atOnce` downloads at a time.
  void StartAhead(std::map<std::size_t, std::string> urls, int atOnce, std::shared_ptr<const void> fetcherOwner) {
    if (urls.empty() || atOnce < 2 || !fetcherOwner) return;
    auto state = std::make_shared<AheadState>(fetcher_, std::move(fetcherOwner), static_cast<std::size_t>(atOnce));
    for (auto& [k, url] : urls) {
      slotOf_[k] = state->slots.size();
      state->slots.push_back({k, std::move(url), {}, false});
    }
    const std::size_t threads = std::min(static_cast<std::size_t>(atOnce), state->slots.size());
    std::size_t started = 0;
    for (std::size_t t = 0; t < threads; ++t) {
      try {
        std::thread(DownloadAhead, state).detach();
        ++started;
      } catch (const std::system_error&) {
        break;  // the threads already started take every slot in turn
      }
    }
    if (started == 0) {
      slotOf_.clear();
      return;
    }
    state_ = std::move(state);
  }

  // No download ahead starts any more, and the pages downloaded ahead are
  // freed.
  void Stop() {
    if (!state_) return;
    {
      std::lock_guard lock(state_->mutex);
      state_->stopped = true;
      for (AheadState::Slot& slot : state_->slots) AheadState::Drop(slot);
    }
    state_->room.notify_all();
    state_.reset();
    slotOf_.clear();
  }

  // The check has come to favourite number k - 1: the pages of the
  // favourites before it are not wanted any more (not due at their turn).
  // Frees them and moves the window on.
  void Reach(std::size_t k) {
    if (!state_) return;
    {
      std::lock_guard lock(state_->mutex);
      if (!Release(k)) return;
    }
    state_->room.notify_all();
  }

  // The page at `url` for favourite number k - 1: the one downloaded ahead
  // for it under that address (waited for), or else one downloaded now.
  // Nothing when the check is cancelled while it waits.
  std::optional<std::string> Take(std::size_t k, const std::string& url, const CancelFlag& cancel) {
    const auto found = slotOf_.find(k);
    if (found == slotOf_.end()) return fetcher_.URLDownloadToString(url);
    const std::size_t slot = found->second;
    slotOf_.erase(found);
    std::unique_lock lock(state_->mutex);
    AheadState::Slot& ahead = state_->slots[slot];
    if (ahead.url != url) {
      Release(k + 1);
      lock.unlock();
      state_->room.notify_all();
      return fetcher_.URLDownloadToString(url);
    }
    // The cancel flag cannot wake the wait, so the wait looks at it often.
    while (!ahead.arrived) {
      if (cancel.Raised()) return std::nullopt;
      state_->changed.wait_for(lock, std::chrono::milliseconds(kCancelLookMs));
    }
    std::string page = std::move(ahead.body);
    Release(k + 1);
    lock.unlock();
    state_->room.notify_all();
    return page;
  }

 private:
  static constexpr int kCancelLookMs = 10;

  // Under the state's lock: frees the page of every slot whose favourite
  // (k - 1) is less than `k` and moves the window past them. True when it
  // moved.
  bool Release(std::size_t k) {
    const std::size_t before = state_->released;
    while (state_->released < state_->slots.size() && state_->slots[state_->released].favorite < k) {
      AheadState::Drop(state_->slots[state_->released]);
      ++state_->released;
    }
    return state_->released != before;
  }

  PageFetcher& fetcher_;
  std::shared_ptr<AheadState> state_;
  std::map<std::size_t, std::size_t> slotOf_;  // favourite number k - 1 -> slot
};

// The addresses of the favourites due now (favourite number k - 1 ->
// address), each show once: a show listed again has just been read when its
// second line comes.
std::map<std::size_t, std::string> DuePages(const ShowStore& store, const std::vector<std::string_view>& lines,
                                            const std::string& siteUrl, double now) {
  std::map<std::size_t, std::string> urls;
  std::set<std::size_t> shows;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::size_t index = FindShow(store.showTable, FavoriteName(lines[k]));
    if (!ShowFound(store.showTable, index) || !shows.insert(index).second) continue;
    const ShowRecord& record = store.showTable[index];
    if (IsDue(record.lastChecked, now)) urls[k] = EpisodePageUrl(siteUrl, record.pagePath);
  }
  return urls;
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
  const bool ahead = job.pagesAtOnce > 1 && job.fetcherOwner;
  std::string favorites;
  std::vector<std::string_view> lines;
  std::map<std::size_t, std::string> duePages;
  {
    std::lock_guard lock(job.store.mutex);
    if (job.cancel->Raised()) return kCheckFailed;
    job.store.episodesChecked = false;
    favorites = job.store.lists.favoritesText;
    lines = ListEntries(favorites);
    if (ahead) duePages = DuePages(job.store, lines, job.siteUrl, job.clock.SecondsSinceMidnight());
  }
  const int count = static_cast<int>(lines.size());
  CheckPages pages(job.fetcher);
  pages.StartAhead(std::move(duePages), job.pagesAtOnce, job.fetcherOwner);

  for (int k = 1; k <= count; ++k) {
    if (job.cancel->Raised()) return kCheckFailed;
    pages.Reach(static_cast<std::size_t>(k - 1));
    const std::string_view name = FavoriteName(lines[static_cast<std::size_t>(k - 1)]);
    job.window.SetCurrentShow(std::string(TrimBlanks(name)));
    job.window.SetCounter(CounterText(k, count));

    std::optional<DueShow> show = CopyShow(job.store, name);
    if (!show) continue;  // not on the site any more; pruned after the next refresh

    if (!IsDue(show->lastChecked, job.clock.SecondsSinceMidnight())) {
      job.clock.Sleep(kNotDuePauseMs);
      continue;
    }

    const std::optional<std::string> page =
        pages.Take(static_cast<std::size_t>(k - 1), EpisodePageUrl(job.siteUrl, show->pagePath), *job.cancel);
    if (!page || job.cancel->Raised()) return kCheckFailed;
    if (page->empty()) {
      pages.Stop();
      job.clock.Sleep(kFailedDownloadPauseMs);
      return kCheckFailed;
    }
    if (page->find(kEpisodeLinkMarker) == std::string::npos) {
      // A show announced but not aired yet: it has no episodes (lastEpisode
      // -1), and the check goes on with the next favourite.
      show->episodes.clear();
    } else {
      show->episodes = ReadEpisodePage(*page, show->episodes);
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
