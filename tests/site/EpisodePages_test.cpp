#include "site/EpisodePages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "fakes/Fakes.h"
#include "site/EpisodeCode.h"

namespace epiloom {
namespace {

using testing::FakeClock;
using testing::FakeFetcher;
using testing::HoldingFetcher;
using testing::RecordingEpisodeCheckView;

constexpr char kSite[] = "http://kestrix.test/";
constexpr double kNoon = 12 * 3600.0;

struct Link {
  std::string slug;  // the episode part of the link, "s01e02"
  std::string size;  // "350 MB"
  std::string magnet;
};

std::string EpisodePage(const std::vector<Link>& links) {
  std::string page = "<html><body><table>\n";
  for (const Link& link : links) {
    page += "<tr><td><a href=\"/ep/9/some-show-" + link.slug + "-hdtv-x264/\" title=\"Some Show (" + link.size +
            ")\">Some Show</a></td><td><a href=\"" + link.magnet + "\">M</a></td></tr>\n";
  }
  return page + "</table></body></html>\n";
}

std::string FavoriteLineFor(const std::string& name, const std::string& path, const std::string& lastWatched = "S00E00",
                            bool prefers720p = false) {
  return name + "|" + path + ">" + lastWatched + (prefers720p ? "H" : "L");
}

// --- The episode check ------------------------------------------------------

class EpisodeCheck : public ::testing::Test {
 protected:
  // A show of the table, made a favourite unless told otherwise.
  ShowRecord& AddShow(const std::string& name, std::int32_t lastChecked, bool favorite = true) {
    ShowRecord record;
    record.name = name;
    record.pagePath = "/shows/" + name;
    record.lastWatched = "S00E00";
    record.lastChecked = lastChecked;
    store.showTable.push_back(record);
    if (favorite) AddFavoriteLine(FavoriteLineFor(name, record.pagePath));
    return store.showTable.back();
  }
  void AddFavoriteLine(const std::string& line) { store.lists.favoritesText += line + "\n"; }
  void Serve(const std::string& name, const std::string& page) { fetcher.Serve(kSite + ("shows/" + name + "/"), page); }
  std::string UrlOf(const std::string& name) const { return kSite + ("shows/" + name + "/"); }

  int Run() {
    EpisodeCheckJob job(store, fetcher, clock, dialog, kSite, cancel);
    return CheckEpisodePages(job);
  }

  ShowStore store;
  FakeFetcher fetcher;
  FakeClock clock{kNoon};
  RecordingEpisodeCheckView dialog;
  CancelToken cancel = MakeCancelToken();

  void SetUp() override { store.lists.favoritesText = "\n"; }
};

const std::string kOnePage = EpisodePage({{"s01e01", "350 MB", "magnet:?a"}});

struct DueCase {
  const char* name;
  std::int32_t lastChecked;
  double now;
  bool read;
};

void PrintTo(const DueCase& c, std::ostream* out) { *out << c.name; }

class DueRule : public EpisodeCheck, public ::testing::WithParamInterface<DueCase> {};

TEST_P(DueRule, ReadsAShowOnlyWhenItsLastCheckIs600SecondsAway) {
  const DueCase& c = GetParam();
  AddShow("Some Show", c.lastChecked);
  Serve("Some Show", kOnePage);
  clock.Set(c.now);

  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(store.episodesChecked);
  const ShowRecord& record = store.showTable[0];
  if (c.read) {
    EXPECT_EQ(fetcher.requests(), std::vector<std::string>{UrlOf("Some Show")});
    EXPECT_TRUE(clock.sleeps().empty());
    EXPECT_EQ(record.lastEpisode(), 0);
    EXPECT_EQ(record.lastChecked, static_cast<std::int32_t>(c.now));
  } else {
    EXPECT_TRUE(fetcher.requests().empty());
    EXPECT_EQ(clock.sleeps(), std::vector<int>{10});
    EXPECT_EQ(record.lastEpisode(), -1);
    EXPECT_EQ(record.lastChecked, c.lastChecked);
  }
}

INSTANTIATE_TEST_SUITE_P(Times, DueRule,
                         ::testing::Values(DueCase{"CheckedJustNow", 43200, kNoon, false},
                                           DueCase{"Checked599SecondsAgo", 42601, kNoon, false},
                                           DueCase{"Checked600SecondsAgo", 42600, kNoon, true},
                                           DueCase{"FractionBelow600", 42600, 43199.5, false},
                                           DueCase{"FirstCheckAfterARefresh", 42590, kNoon, true},
                                           DueCase{"Checked599SecondsAhead", 43799, kNoon, false},
                                           DueCase{"Checked600SecondsAhead", 43800, kNoon, true},
                                           DueCase{"CheckedAt235950SeenAt235959", 86390, 86399.0, false},
                                           DueCase{"CheckedAt235950DueAtMidnight", 86390, 0.0, true},
                                           DueCase{"CheckedAfterMidnightSeenSoonAfter", 10, 300.0, false}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(EpisodeCheck, LastCheckedIsTheTimeOfDayRoundedToASecond) {
  const struct {
    double now;
    std::int32_t lastChecked;
  } cases[] = {{43200.4, 43200}, {43200.5, 43201}, {86399.4, 86399}, {86399.6, 0}};
  for (const auto& c : cases) {
    store.showTable.clear();
    store.lists.favoritesText = "\n";
    AddShow("Some Show", 20000);
    Serve("Some Show", kOnePage);
    clock.Set(c.now);
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(store.showTable[0].lastChecked, c.lastChecked) << c.now;
  }
}

TEST(EpisodePageUrl, PathWithoutItsSlashesThenOneSlash) {
  const struct {
    const char* pagePath;
    const char* url;
  } cases[] = {
      {"/shows/1/some-show", "http://kestrix.test/shows/1/some-show/"},
      {"shows/1/some-show/", "http://kestrix.test/shows/1/some-show/"},
      {"//shows//1//", "http://kestrix.test/shows//1/"},
      {" /shows/2 ", "http://kestrix.test/shows/2/"},
      {"///", "http://kestrix.test//"},
      {"", "http://kestrix.test//"},
  };
  for (const auto& c : cases) EXPECT_EQ(EpisodePageUrl(kSite, c.pagePath), c.url) << c.pagePath;
}

TEST_F(EpisodeCheck, StoresTheEpisodesSortedByCode) {
  ShowRecord& record = AddShow("Some Show", 0);
  record.quality = 1;
  record.lastWatched = "S01E01";
  record.episodes = {{"S00E07", "magnet:?old0", 1.0f}, {"S00E08", "magnet:?old1", 2.0f}};
  Serve("Some Show", EpisodePage({{"s02e01", "1.2 GB", "magnet:?c"},
                                  {"special", "100 MB", "magnet:?kept"},  // no code: keeps entry 1's old one
                                  {"s01e02", "350.5 MB", "magnet:?b"}}));
  ASSERT_EQ(Run(), 1);

  const ShowRecord& checked = store.showTable[0];
  ASSERT_EQ(checked.lastEpisode(), 2);
  EXPECT_EQ(checked.episodes[0].episodeCode, "S00E08");
  EXPECT_EQ(checked.episodes[0].magnetLink, "magnet:?kept");
  EXPECT_EQ(checked.episodes[1].episodeCode, "S01E02");
  EXPECT_FLOAT_EQ(checked.episodes[1].sizeMb, 350.5f);
  EXPECT_EQ(checked.episodes[2].episodeCode, "S02E01");
  EXPECT_FLOAT_EQ(checked.episodes[2].sizeMb, 1228.8f);
  EXPECT_EQ(checked.episodes[2].magnetLink, "magnet:?c");
  // Only the episode data and the time changed.
  EXPECT_EQ(checked.quality, 1);
  EXPECT_EQ(checked.lastWatched, "S01E01");
}

TEST_F(EpisodeCheck, PageWith250LinksGivesLastEpisode199) {
  AddShow("Some Show", 0);
  std::vector<Link> links;
  for (unsigned j = 0; j < 250; ++j) links.push_back({MakeEpisodeCode(1 + j / 100, j % 100), "1 MB", "magnet:?x"});
  Serve("Some Show", EpisodePage(links));
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(store.showTable[0].lastEpisode(), 199);
  EXPECT_EQ(store.showTable[0].episodes[199].episodeCode, "S02E99");
}

TEST_F(EpisodeCheck, DialogShowsEachFavouriteAndItsNumber) {
  AddShow("Alpha", 0);
  AddFavoriteLine(FavoriteLineFor("Gone", "/shows/gone"));
  AddShow("Beta", 43200);  // not due
  Serve("Alpha", kOnePage);

  EXPECT_EQ(Run(), 3);
  EXPECT_EQ(dialog.log(), (std::vector<std::string>{"show Alpha", "counter (1/3)", "show Gone", "counter (2/3)",
                                                    "show Beta", "counter (3/3)"}));
  // The favourite that is not in the table is skipped: no download, no pause.
  EXPECT_EQ(fetcher.requests(), std::vector<std::string>{UrlOf("Alpha")});
  EXPECT_EQ(clock.sleeps(), std::vector<int>{10});
  EXPECT_TRUE(store.episodesChecked);
}

TEST_F(EpisodeCheck, ShowsThatAreNotFavouritesAreNotRead) {
  AddShow("Other", 0, /*favorite=*/false);
  AddShow("Mine", 0);
  Serve("Other", kOnePage);
  Serve("Mine", kOnePage);
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(fetcher.requests(), std::vector<std::string>{UrlOf("Mine")});
  EXPECT_EQ(store.showTable[0].lastEpisode(), -1);
}

TEST_F(EpisodeCheck, FailedDownloadStopsAndKeepsWhatWasReadBefore) {
  AddShow("Alpha", 0);
  AddShow("Beta", 0);
  AddShow("Gamma", 0);
  Serve("Alpha", kOnePage);
  Serve("Gamma", kOnePage);      // Beta's download fails
  store.episodesChecked = true;  // from an earlier check

  EXPECT_EQ(Run(), -1);
  EXPECT_EQ(clock.sleeps(), std::vector<int>{2000});
  EXPECT_FALSE(store.episodesChecked);
  EXPECT_EQ(fetcher.requests(), (std::vector<std::string>{UrlOf("Alpha"), UrlOf("Beta")}));
  EXPECT_EQ(store.showTable[0].lastEpisode(), 0);
  EXPECT_EQ(store.showTable[0].lastChecked, 43200);
  for (const std::size_t untouched : {1u, 2u}) {
    EXPECT_EQ(store.showTable[untouched].lastEpisode(), -1);
    EXPECT_EQ(store.showTable[untouched].lastChecked, 0);
  }
}

TEST_F(EpisodeCheck, PageWithoutEpisodeLinksIsAShowWithNoEpisodesAndTheCheckGoesOn) {
  AddShow("Alpha", 0);
  ShowRecord& announced = AddShow("Beta", 0);
  announced.episodes = {{"S01E01", "magnet:?old", 350.0f}};  // from an earlier page
  AddShow("Gamma", 0);
  Serve("Alpha", kOnePage);
  Serve("Beta", "<html><body>Coming soon</body></html>");
  Serve("Gamma", EpisodePage({{"s02e03", "1.2 GB", "magnet:?g"}}));

  EXPECT_EQ(Run(), 3);
  EXPECT_TRUE(store.episodesChecked);
  EXPECT_TRUE(clock.sleeps().empty());
  EXPECT_EQ(fetcher.requests(), (std::vector<std::string>{UrlOf("Alpha"), UrlOf("Beta"), UrlOf("Gamma")}));
  EXPECT_EQ(dialog.log(), (std::vector<std::string>{"show Alpha", "counter (1/3)", "show Beta", "counter (2/3)",
                                                    "show Gamma", "counter (3/3)"}));
  const ShowRecord& beta = store.showTable[1];
  EXPECT_EQ(beta.lastEpisode(), -1);
  EXPECT_TRUE(beta.episodes.empty());
  EXPECT_EQ(beta.lastChecked, 43200);
  const ShowRecord& gamma = store.showTable[2];
  ASSERT_EQ(gamma.lastEpisode(), 0);
  EXPECT_EQ(gamma.episodes[0].episodeCode, "S02E03");
  EXPECT_EQ(gamma.episodes[0].magnetLink, "magnet:?g");
  EXPECT_EQ(gamma.lastChecked, 43200);
}

TEST_F(EpisodeCheck, WithoutFavouritesEndsAtOnceAsChecked) {
  for (const char* favorites : {"\n", ""}) {
    store.lists.favoritesText = favorites;
    store.episodesChecked = false;
    AddShow("Some Show", 0, /*favorite=*/false);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(store.episodesChecked);
  }
  EXPECT_TRUE(fetcher.requests().empty());
  EXPECT_TRUE(dialog.log().empty());
}

// --- An abandoned check -----------------------------------------------------

struct CancelCase {
  const char* name;
  int holdCall;  // the download during which the check is cancelled
  bool cancel;
  int result;
  int shows;     // records that hold episodes at the end
  bool checked;  // episodesChecked at the end
};

void PrintTo(const CancelCase& c, std::ostream* out) { *out << c.name; }

class AbandonedCheck : public EpisodeCheck, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(AbandonedCheck, WritesNothingOnceCancelled) {
  const CancelCase& c = GetParam();
  AddShow("Alpha", 0);
  AddShow("Beta", 0);
  store.episodesChecked = true;
  HoldingFetcher holding(kOnePage, c.holdCall);
  EpisodeCheckJob job(store, holding, clock, dialog, kSite, cancel);

  int result = 0;
  std::atomic<bool> ended{false};
  std::thread worker([&] {
    result = CheckEpisodePages(job);
    ended = true;
  });
  holding.WaitUntilHeld();
  const std::string before = testing::StoreState(store);
  const std::size_t writes = dialog.log().size();
  if (c.cancel) cancel->Raise();
  holding.Release();
  // The window's thread keeps reading the store (under its lock) while the
  // worker goes on.
  while (!ended) testing::StoreState(store);
  worker.join();

  EXPECT_EQ(result, c.result);
  const std::string after = testing::StoreState(store);
  int shows = 0;
  for (const ShowRecord& record : store.showTable) shows += record.episodes.empty() ? 0 : 1;
  EXPECT_EQ(shows, c.shows);
  EXPECT_EQ(store.episodesChecked, c.checked);
  if (c.cancel) {
    EXPECT_EQ(after, before);
    EXPECT_EQ(dialog.log().size(), writes);
    EXPECT_EQ(holding.requests(), static_cast<std::size_t>(c.holdCall));
  } else {
    EXPECT_NE(after, before);
  }
}

INSTANTIATE_TEST_SUITE_P(Moments, AbandonedCheck,
                         ::testing::Values(CancelCase{"NotCancelled", 1, false, 2, 2, true},
                                           CancelCase{"CancelledDuringTheFirstDownload", 1, true, -1, 0, false},
                                           CancelCase{"CancelledDuringTheSecondDownload", 2, true, -1, 1, false}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(EpisodeCheck, CancelledBeforeItStartsTouchesNothing) {
  AddShow("Alpha", 0);
  Serve("Alpha", kOnePage);
  store.episodesChecked = true;
  cancel->Raise();
  EXPECT_EQ(Run(), -1);
  EXPECT_TRUE(store.episodesChecked);
  EXPECT_TRUE(fetcher.requests().empty());
  EXPECT_TRUE(dialog.log().empty());
  EXPECT_EQ(store.showTable[0].lastEpisode(), -1);
}

// --- The choice of new episodes ---------------------------------------------

// Episodes told apart by their magnet links "m0", "m1", ...
std::vector<Episode> Numbered(const std::vector<std::pair<std::string, float>>& codesAndSizes) {
  std::vector<Episode> episodes;
  for (const auto& [code, size] : codesAndSizes) {
    episodes.push_back({code, "m" + std::to_string(episodes.size()), size});
  }
  return episodes;
}

std::vector<std::string> Ids(const std::vector<Episode>& episodes) {
  std::vector<std::string> ids;
  for (const Episode& episode : episodes) ids.push_back(episode.magnetLink);
  return ids;
}

ShowRecord Favourite(const std::string& name, std::vector<Episode> episodes, std::int16_t quality = 0,
                     const std::string& lastWatched = "S00E00") {
  ShowRecord record;
  record.name = name;
  record.pagePath = "/shows/" + name;
  record.quality = quality;
  record.lastWatched = lastWatched;
  record.episodes = std::move(episodes);
  return record;
}

std::string FavoritesOf(const ShowTable& table) {
  std::string text = "\n";
  for (const ShowRecord& record : table) text += FavoriteLineFor(record.name, record.pagePath) + "\n";
  return text;
}

struct DuplicateCase {
  const char* name;
  std::vector<std::pair<std::string, float>> episodes;
  std::int16_t quality;
  std::vector<std::string> kept;
};

void PrintTo(const DuplicateCase& c, std::ostream* out) { *out << c.name; }

class Duplicates : public ::testing::TestWithParam<DuplicateCase> {};

TEST_P(Duplicates, OneCopyPerCodeByRatioAndQuality) {
  const ShowTable table{Favourite("Some Show", Numbered(GetParam().episodes), GetParam().quality)};
  const NewEpisodeChoice choice = ChooseNewEpisodes(table, FavoritesOf(table));
  ASSERT_EQ(choice.shows.size(), 1u);
  EXPECT_EQ(Ids(choice.shows[0].episodes), GetParam().kept);
  EXPECT_EQ(choice.total, static_cast<int>(GetParam().kept.size()));
}

std::vector<std::pair<std::string, float>> SameCode(const std::vector<float>& sizes) {
  std::vector<std::pair<std::string, float>> episodes;
  for (const float size : sizes) episodes.emplace_back("S01E01", size);
  return episodes;
}

std::vector<float> OneTo200() {
  std::vector<float> sizes;
  for (int size = 1; size <= 200; ++size) sizes.push_back(static_cast<float>(size));
  return sizes;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Duplicates,
    ::testing::Values(DuplicateCase{"SmallThenLargePrefer720p", SameCode({350, 1100}), 1, {"m1"}},
                      DuplicateCase{"SmallThenLargePreferStandard", SameCode({350, 1100}), 0, {"m0"}},
                      DuplicateCase{"LargeThenSmallPrefer720p", SameCode({1100, 350}), 1, {"m0"}},
                      DuplicateCase{"LargeThenSmallPreferStandard", SameCode({1100, 350}), 0, {"m1"}},
                      DuplicateCase{"CloseSizesPreferStandard", SameCode({350, 400}), 0, {"m0"}},
                      DuplicateCase{"CloseSizesPrefer720p", SameCode({350, 400}), 1, {"m0"}},
                      DuplicateCase{"ExactlyHalfAgainAsLarge", SameCode({350, 525}), 1, {"m1"}},
                      DuplicateCase{"JustBelowHalfAgainAsLarge", SameCode({350, 524.9f}), 1, {"m0"}},
                      // An unknown size (0) cannot be judged: the first copy stays.
                      DuplicateCase{"ZeroThenSizePrefer720p", SameCode({0, 350}), 1, {"m0"}},
                      DuplicateCase{"ZeroThenSizePreferStandard", SameCode({0, 350}), 0, {"m0"}},
                      DuplicateCase{"ZeroThenZero", SameCode({0, 0}), 0, {"m0"}},
                      DuplicateCase{"SizeThenZeroPrefer720p", SameCode({350, 0}), 1, {"m0"}},
                      DuplicateCase{"RunOfThreeSmallLargeSmallPreferStandard", SameCode({350, 1100, 400}), 0, {"m0"}},
                      DuplicateCase{"RunOfThreeSmallLargeSmallPrefer720p", SameCode({350, 1100, 400}), 1, {"m1"}},
                      DuplicateCase{"RunOfThreeGrowingPreferStandard", SameCode({350, 600, 1000}), 0, {"m0"}},
                      DuplicateCase{"RunOfThreeGrowingPrefer720p", SameCode({350, 600, 1000}), 1, {"m2"}},
                      DuplicateCase{"RunOfThreeShrinkingPreferStandard", SameCode({1000, 600, 350}), 0, {"m2"}},
                      DuplicateCase{"RunOfThreeShrinkingPrefer720p", SameCode({1000, 600, 350}), 1, {"m0"}},
                      DuplicateCase{"RunOfFourDoublingPreferStandard", SameCode({100, 200, 400, 800}), 0, {"m0"}},
                      DuplicateCase{"RunOfFourDoublingPrefer720p", SameCode({100, 200, 400, 800}), 1, {"m3"}},
                      // 200 copies of sizes 1..200: only 3/2 and 3/1 reach 1.5.
                      DuplicateCase{"RunOf200PreferStandard", SameCode(OneTo200()), 0, {"m0"}},
                      DuplicateCase{"RunOf200Prefer720p", SameCode(OneTo200()), 1, {"m2"}},
                      DuplicateCase{
                          "RunsBetweenOtherCodes",
                          {{"S01E01", 350}, {"S01E01", 1100}, {"S01E02", 400}, {"S01E03", 100}, {"S01E03", 100}},
                          0,
                          {"m0", "m2", "m3"}},
                      DuplicateCase{"NoDuplicates", {{"S01E01", 350}, {"S01E02", 1100}}, 1, {"m0", "m1"}}),
    [](const auto& param) { return std::string(param.param.name); });

struct WatchedCase {
  const char* name;
  std::string lastWatched;
  std::vector<std::string> kept;
  int total;
};

void PrintTo(const WatchedCase& c, std::ostream* out) { *out << c.name; }

class NewEpisodes : public ::testing::TestWithParam<WatchedCase> {};

TEST_P(NewEpisodes, OnlyCodesAfterTheLastWatchedOne) {
  const ShowTable table{Favourite("Some Show", Numbered({{"", 1}, {"S01E01", 1}, {"S01E02", 1}, {"S02E01", 1}}), 0,
                                  GetParam().lastWatched)};
  const NewEpisodeChoice choice = ChooseNewEpisodes(table, FavoritesOf(table));
  ASSERT_EQ(choice.shows.size(), 1u);
  EXPECT_EQ(Ids(choice.shows[0].episodes), GetParam().kept);
  EXPECT_EQ(choice.total, GetParam().total);
}

INSTANTIATE_TEST_SUITE_P(LastWatched, NewEpisodes,
                         ::testing::Values(WatchedCase{"NothingWatched", "S00E00", {"m1", "m2", "m3"}, 3},
                                           WatchedCase{"FirstWatched", "S01E01", {"m2", "m3"}, 2},
                                           WatchedCase{"BetweenCodes", "S01E05", {"m3"}, 1},
                                           WatchedCase{"NewestWatched", "S02E01", {}, -2},
                                           WatchedCase{"BeyondTheNewest", "S09E09", {}, -2},
                                           WatchedCase{"BlankLastWatched", "", {"m1", "m2", "m3"}, 3}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ChooseNewEpisodes, FollowsTheFavouritesOrderAndSkipsShowsNotInTheTable) {
  const ShowTable table{Favourite("Other", Numbered({{"S01E01", 1}})),
                        Favourite("Beta", Numbered({{"S01E01", 1}, {"S01E02", 1}})),
                        Favourite("Alpha", Numbered({{"S03E03", 1}}), 0, "S01E01")};
  const std::string favorites = "\n" + FavoriteLineFor("Alpha", "/shows/Alpha", "S01E01") + "\n" +
                                FavoriteLineFor("Gone", "/shows/Gone") + "\n" + FavoriteLineFor("Beta", "/shows/Beta") +
                                "\n";
  const NewEpisodeChoice choice = ChooseNewEpisodes(table, favorites);
  EXPECT_EQ(choice.total, 3);
  ASSERT_EQ(choice.shows.size(), 2u);
  EXPECT_EQ(choice.shows[0].favoriteNumber, 1);
  EXPECT_EQ(choice.shows[0].showIndex, 2u);
  EXPECT_EQ(Ids(choice.shows[0].episodes), std::vector<std::string>{"m0"});
  EXPECT_EQ(choice.shows[1].favoriteNumber, 3);
  EXPECT_EQ(choice.shows[1].showIndex, 1u);
  EXPECT_EQ(Ids(choice.shows[1].episodes), (std::vector<std::string>{"m0", "m1"}));
  EXPECT_FLOAT_EQ(choice.shows[1].episodes[1].sizeMb, 1.0f);
  EXPECT_EQ(choice.shows[1].episodes[1].episodeCode, "S01E02");
}

TEST(ChooseNewEpisodes, NothingNewInAnyFavouriteGivesMinus2) {
  const ShowTable table{Favourite("Alpha", Numbered({{"S01E01", 1}}), 0, "S01E01"), Favourite("Beta", {}, 0, "S00E00")};
  const NewEpisodeChoice choice = ChooseNewEpisodes(table, FavoritesOf(table));
  EXPECT_EQ(choice.total, -2);
  ASSERT_EQ(choice.shows.size(), 2u);
  EXPECT_TRUE(choice.shows[0].episodes.empty());
  EXPECT_TRUE(choice.shows[1].episodes.empty());
}

TEST(ChooseNewEpisodes, OnlyRecordsPassingTheCopyTestBringEpisodes) {
  const ShowTable table{Favourite("Some Show", Numbered({{"S01E01", 1}}))};
  const struct {
    std::string favorites;
    int total;
  } cases[] = {
      {FavoritesOf(table), 1},
      // A line without "|" is listed under all but its last character, which
      // finds the show, but LF + name + "|" is nowhere in the text.
      {"\nSome Show!\n", -2},
      {"\n", -2},
      {"", -2},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseNewEpisodes(table, c.favorites).total, c.total) << c.favorites;
}

TEST(ChooseNewEpisodes, AFavouriteListedTwiceIsChosenOnceForItsFirstLine) {
  const ShowTable table{Favourite("Some Show", Numbered({{"S01E01", 350}, {"S01E01", 1100}, {"S01E02", 1}}))};
  const std::string line = FavoriteLineFor("Some Show", "/shows/Some Show");
  const NewEpisodeChoice choice = ChooseNewEpisodes(table, "\n" + line + "\nOther|/o>S00E00L\n" + line + "\n");
  EXPECT_EQ(choice.total, 2);
  ASSERT_EQ(choice.shows.size(), 1u);
  EXPECT_EQ(choice.shows[0].favoriteNumber, 1);
  EXPECT_EQ(Ids(choice.shows[0].episodes), (std::vector<std::string>{"m0", "m2"}));
}

}  // namespace
}  // namespace epiloom
