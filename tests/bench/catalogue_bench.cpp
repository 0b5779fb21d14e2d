// Reading a large show list: a generated 10,000-show page with 100 and with
// 1,000 favourites, each set beside one std::string::find pass of the entry
// marker over the same page ("raw pass"), and the memory a full table holds.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <time.h>

#include "fakes/Fakes.h"
#include "site/ShowListPage.h"
#include "store/UserLists.h"

// Live heap bytes, as the allocator hands them out, to measure what a table
// holds.
namespace {
std::atomic<long long> liveBytes{0};
}

void* operator new(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  liveBytes += static_cast<long long>(malloc_usable_size(block));
  return block;
}
void operator delete(void* block) noexcept {
  if (block == nullptr) return;
  liveBytes -= static_cast<long long>(malloc_usable_size(block));
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace epiloom {
namespace {

using testing::FakeClock;
using testing::FakeFetcher;
using testing::FakeProgramFolder;

constexpr int kShows = 10000;
constexpr char kSite[] = "http://kestrix.test/";

std::string Title(int i) { return "Show Title Number " + std::to_string(i) + " Returns"; }
std::string Path(int i) { return "/shows/" + std::to_string(10000 + i) + "/show-title-number-" + std::to_string(i); }

// A show list page as the site lays it out: one table row per show.
const std::string& CataloguePage() {
  static const std::string page = [] {
    std::string text = "<html><head><title>Shows</title></head><body><table class=\"forum_table\">\n";
    for (int i = 0; i < kShows; ++i) {
      text += "<tr>";
      text += kShowEntryStart;
      text += Path(i);
      text += kPathTitleSeparator;
      text += Title(i);
      text += kShowEntryEnd;
      text += "<td class=\"forum_thread_post\">" + std::to_string(i % 17) + " seasons</td></tr>\n";
    }
    return text + "</table></body></html>\n";
  }();
  return page;
}

// Favourites spread evenly over the catalogue, some never watched.
std::string FavoritesFile(int favorites) {
  std::string file;
  for (int k = 0; k < favorites; ++k) {
    const int i = k * (kShows / favorites);
    file += Title(i) + "|" + Path(i) + (k % 3 == 0 ? ">S00E00L" : ">S02E07H") + "\r\n";
  }
  return file;
}

std::size_t RawPass(const std::string& page) {
  std::size_t found = 0;
  for (std::size_t at = page.find(kShowEntryStart); at != std::string::npos;
       at = page.find(kShowEntryStart, at + kShowEntryStart.size())) {
    ++found;
  }
  return found;
}

// CPU time of this thread, so that other work on the machine does not skew
// the ratios.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double SecondsOf(const std::function<void()>& work, int repeats) {
  const double start = ThreadSeconds();
  for (int i = 0; i < repeats; ++i) work();
  return (ThreadSeconds() - start) / repeats;
}

// The main window as the worker sees it, without the window.
class NullWindow : public ShowListView {
 public:
  void SetStatusText(const std::string&) override {}
  void ShowSpinner(bool) override {}
  void ShowUpdateProgress(int, int) override {}
  void HideUpdateProgress() override {}
  int ListedShowCount() override { return items_; }
  void AppendShows(const std::vector<ListedShow>& shows) override {
    for (const ListedShow& show : shows) {
      ++items_;
      if (show.favorite) ++marked_;
    }
  }
  void SetSettingsButtonText(const std::string&) override {}
  void SetDownloadButtonText(const std::string&) override {}
  void EnableEpisodeButtons(bool) override {}
  void SetBlacklistLabelText(const std::string&) override {}
  void EnableBlacklistLabel(bool) override {}
  void SetAboutLineText(const std::string&) override {}
  int marked() const { return marked_; }

 private:
  int items_ = 0;
  int marked_ = 0;
};

struct Catalogue {
  explicit Catalogue(int favorites) {
    folder.Put(kFavoritesFileName, FavoritesFile(favorites));
    fetcher.Serve(std::string(kSite) + "showlist/", CataloguePage());
  }
  int Read(NullWindow& window) {
    std::atomic<int> statusPhase{0};
    ShowListJob job(store, fetcher, folder, clock, window, texts, kSite, statusPhase, MakeCancelToken());
    return ReadShowList(job);
  }
  FakeProgramFolder folder;
  FakeFetcher fetcher;
  FakeClock clock;
  LanguageTexts texts;
  ShowStore store;
};

void BM_ReadShowList(benchmark::State& state) {
  const int favorites = static_cast<int>(state.range(0));
  Catalogue catalogue(favorites);
  const std::string& page = CataloguePage();
  if (RawPass(page) != kShows) state.SkipWithError("page generator broken");

  int marked = 0;
  for (auto _ : state) {
    NullWindow window;
    benchmark::DoNotOptimize(catalogue.Read(window));
    marked = window.marked();
  }
  if (marked != favorites) state.SkipWithError("not every favourite was found");

  // The yardstick, measured in the same run on the same page.
  const double raw = SecondsOf([&] { benchmark::DoNotOptimize(RawPass(page)); }, 200);
  const double read = SecondsOf(
      [&] {
        NullWindow window;
        benchmark::DoNotOptimize(catalogue.Read(window));
      },
      20);
  state.counters["raw_pass_us"] = raw * 1e6;
  state.counters["raw_passes"] = read / raw;
  state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_ReadShowList)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// What the plain favourite test would cost: one substring search of the
// favourites text per show, beside the same raw pass.
void BM_PlainFavoriteSearch(benchmark::State& state) {
  const int favorites = static_cast<int>(state.range(0));
  const UserLists lists = BuildUserLists({FavoritesFile(favorites), std::nullopt});
  const auto entries = ReadShowListPage(CataloguePage());
  const auto search = [&] {
    int found = 0;
    for (const ShowListEntry& entry : entries) {
      found += lists.favoritesText.find(entry.name + "|" + entry.pagePath) != std::string::npos;
    }
    return found;
  };
  for (auto _ : state) benchmark::DoNotOptimize(search());
  const double raw = SecondsOf([&] { benchmark::DoNotOptimize(RawPass(CataloguePage())); }, 200);
  state.counters["raw_passes"] = SecondsOf([&] { benchmark::DoNotOptimize(search()); }, 5) / raw;
}
BENCHMARK(BM_PlainFavoriteSearch)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

long long BytesHeldBy(const ShowTable& table) {
  const long long before = liveBytes.load();
  auto* copy = new ShowTable(table);
  const long long held = liveBytes.load() - before;
  delete copy;
  return held;
}

// The heap a 10,000-show table holds as read from the page, and the same with
// 100 favourites carrying a full episode list (200 episodes, 200-byte magnet
// links).
void BM_ShowTableMemory(benchmark::State& state) {
  Catalogue catalogue(100);
  NullWindow window;
  catalogue.Read(window);
  const ShowTable& table = catalogue.store.showTable;
  long long bytes = 0;
  for (auto _ : state) benchmark::DoNotOptimize(bytes = BytesHeldBy(table));

  ShowTable withEpisodes = table;
  for (std::size_t i = 0; i < withEpisodes.size(); i += withEpisodes.size() / 100) {
    withEpisodes[i].episodes.resize(kMaxEpisodes);
    for (Episode& episode : withEpisodes[i].episodes) {
      episode.episodeCode = "S01E01";
      episode.magnetLink = "magnet:?xt=urn:btih:" + std::string(180, 'a');
      episode.sizeMb = 350.5f;
    }
  }
  state.counters["shows"] = static_cast<double>(table.size());
  state.counters["table_bytes"] = static_cast<double>(bytes);
  state.counters["bytes_per_show"] = static_cast<double>(bytes) / static_cast<double>(table.size());
  state.counters["with_episodes_bytes"] = static_cast<double>(BytesHeldBy(withEpisodes));
}
BENCHMARK(BM_ShowTableMemory)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace epiloom

BENCHMARK_MAIN();
