// Reading a show's episode page, a whole episode check, and the choice of new
// episodes over many favourites.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fakes/Fakes.h"
#include "site/EpisodeCode.h"
#include "site/EpisodePageReader.h"
#include "site/EpisodePages.h"
#include "store/ShowStore.h"

namespace epiloom {
namespace {

constexpr char kSite[] = "http://kestrix.test/";

// A page as the site writes it: every episode in standard and in 720p
// quality, newest first, with a long magnet link each.
std::string EpisodePage(int episodes) {
  std::string page =
      "<!DOCTYPE html><html><head><title>Some Show - Kestrix</title></head><body><div id=\"menu\">"
      "<a href=\"/shows\">Shows</a></div><table class=\"episodes\">\n";
  for (int j = episodes - 1; j >= 0; --j) {
    const bool hd = j % 2 == 1;
    const std::string code = MakeEpisodeCode(1 + static_cast<unsigned>(j / 2) / 25, static_cast<unsigned>(j / 2) % 25);
    std::string slug = code;
    for (char& c : slug) c = static_cast<char>(c == 'S' ? 's' : c == 'E' ? 'e' : c);
    page += "<tr class=\"row\"><td><a href=\"/ep/" + std::to_string(40000 + j) + "/some-show-" + slug +
            (hd ? "-720p" : "") + "-hdtv-x264-group/\" title=\"Some Show " + code + (hd ? " 720p" : "") + " (" +
            (hd ? "1.1 GB" : "350.5 MB") + ")\">Some Show " + code +
            "</a></td><td class=\"magnet\"><a href=\"magnet:?xt=urn:btih:" + std::string(40, 'A') +
            "&amp;dn=Some.Show." + code + "&amp;tr=udp%3A%2F%2Ftracker.example.org%3A80\">Magnet</a></td></tr>\n";
  }
  return page + "</table></body></html>\n";
}

void BM_ReadEpisodePage(benchmark::State& state) {
  const std::string page = EpisodePage(200);
  for (auto _ : state) {
    std::vector<Episode> episodes = ReadEpisodePage(page, {});
    benchmark::DoNotOptimize(episodes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
  state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_ReadEpisodePage);

void BM_ReadAndSortEpisodePage(benchmark::State& state) {
  const std::string page = EpisodePage(200);
  for (auto _ : state) {
    std::vector<Episode> episodes = ReadEpisodePage(page, {});
    SortEpisodesByCode(episodes);
    benchmark::DoNotOptimize(episodes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ReadAndSortEpisodePage);

// A table of `shows` records with `favorites` favourites spread over it, each
// holding the sorted episodes of a 200-link page and half of them watched.
struct Catalogue {
  ShowTable table;
  std::string favoritesText = "\n";
};

Catalogue MakeCatalogue(int shows, int favorites) {
  std::vector<Episode> episodes = ReadEpisodePage(EpisodePage(200), {});
  SortEpisodesByCode(episodes);
  Catalogue catalogue;
  catalogue.table.resize(static_cast<std::size_t>(shows));
  const int spacing = shows / favorites;
  for (int i = 0; i < shows; ++i) {
    ShowRecord& record = catalogue.table[static_cast<std::size_t>(i)];
    char name[32];
    std::snprintf(name, sizeof name, "Show %05d", i);
    record.name = name;
    record.pagePath = "/shows/" + std::to_string(i) + "/show";
    record.lastWatched = "S00E00";
    if (i % spacing != 0 || i / spacing >= favorites) continue;
    record.quality = static_cast<std::int16_t>(i % 2);
    record.lastWatched = "S02E25";
    record.episodes = episodes;
    catalogue.favoritesText += record.name + "|" + record.pagePath + ">S02E25" + (i % 2 ? "H" : "L") + "\n";
  }
  return catalogue;
}

void BM_ChooseNewEpisodes(benchmark::State& state) {
  const Catalogue catalogue = MakeCatalogue(static_cast<int>(state.range(0)), 100);
  int total = 0;
  for (auto _ : state) {
    const NewEpisodeChoice choice = ChooseNewEpisodes(catalogue.table, catalogue.favoritesText);
    total = choice.total;
    benchmark::DoNotOptimize(choice.shows.data());
  }
  state.counters["new_episodes"] = total;
}
BENCHMARK(BM_ChooseNewEpisodes)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

// A whole check of 100 due favourites in a 10,000-show table, pages served
// from memory: the cost of the program's own work, without the network.
void BM_CheckEpisodePages(benchmark::State& state) {
  const Catalogue catalogue = MakeCatalogue(10000, 100);
  testing::FakeFetcher fetcher;
  const std::string page = EpisodePage(200);
  for (const ShowRecord& record : catalogue.table) {
    if (!record.episodes.empty()) fetcher.Serve(EpisodePageUrl(kSite, record.pagePath), page);
  }
  testing::RecordingEpisodeCheckView dialog;
  int result = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ShowStore store;
    store.showTable = catalogue.table;
    store.lists.favoritesText = catalogue.favoritesText;
    testing::FakeClock clock(12 * 3600.0);
    EpisodeCheckJob job(store, fetcher, clock, dialog, kSite, MakeCancelToken());
    state.ResumeTiming();
    result = CheckEpisodePages(job);
  }
  state.counters["favourites"] = result;
}
BENCHMARK(BM_CheckEpisodePages)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace epiloom

BENCHMARK_MAIN();
