#include "site/ShowListPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

#include "fakes/ByLabel.h"
#include "fakes/Fakes.h"
#include "site/ShowListPageReference.h"
#include "store/ShowTable.h"
#include "store/UserLists.h"

namespace epiloom {
namespace {

using testing::FakeClock;
using testing::FakeFetcher;
using testing::HoldingFetcher;
using testing::FakeProgramFolder;
using testing::Element;
using testing::RecordingShowListView;

using testing::ByLabel;

// One show entry as the site writes it: the link target ends in "/".
std::string Entry(std::string_view path, std::string_view title) {
  return std::string(kShowEntryStart) + std::string(path) + std::string(kPathTitleSeparator) + std::string(title) +
         std::string(kShowEntryEnd) + "\n";
}
std::string RawEntry(std::string_view text) {
  return std::string(kShowEntryStart) + std::string(text) + std::string(kShowEntryEnd) + "\n";
}
std::string Page(const std::string& entries) {
  return "<html><body><table>\n<tr><td class=\"forum_thread_post\">header</td></tr>\n" + entries +
         "</table></body></html>\n";
}

TEST(ShowListMarkers, HaveTheSiteLengths) {
  EXPECT_EQ(kShowEntryStart.size(), 39u);
  EXPECT_EQ(kShowEntryEnd.size(), 9u);
  EXPECT_EQ(kPathTitleSeparator.size(), 23u);
}

// --- Reading the page ------------------------------------------------------

struct PageCase {
  const char* label;
  std::string page;
  std::vector<std::pair<std::string, std::string>> shows;  // name, pagePath
};
void PrintTo(const PageCase& c, std::ostream* os) { *os << c.label; }

class ReadShowListPageTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(ReadShowListPageTest, ReadsEntriesInPageOrder) {
  std::vector<std::pair<std::string, std::string>> shows;
  for (const ShowListEntry& entry : ReadShowListPage(GetParam().page)) shows.emplace_back(entry.name, entry.pagePath);
  EXPECT_EQ(shows, GetParam().shows);
}

const std::string kLongTitle = "The Extraordinarily Long Adventures of Some";  // 43 characters

INSTANTIATE_TEST_SUITE_P(
    Pages, ReadShowListPageTest,
    ::testing::Values(
        PageCase{"Ordinary", Page(Entry("/shows/123/some-show", "Some Show") + Entry("/shows/7/x", "X")),
                 {{"Some Show", "/shows/123/some-show"}, {"X", "/shows/7/x"}}},
        PageCase{"SlashBeforeSeparatorBelongsToIt", Page(RawEntry("/shows/7/x/\" class=\"thread_link\">X")),
                 {{"X", "/shows/7/x"}}},
        PageCase{"TitleCutTo42", Page(Entry("/shows/1/long", kLongTitle)),
                 {{kLongTitle.substr(0, 42), "/shows/1/long"}}},
        PageCase{"CutTitleTrimmedAgain", Page(Entry("/p", std::string(41, 't') + "  more")),
                 {{std::string(41, 't'), "/p"}}},
        PageCase{"PathCutTo100", Page(Entry("/" + std::string(150, 'p'), "P")), {{"P", "/" + std::string(99, 'p')}}},
        PageCase{"BlanksTrimmed", Page(Entry("  /shows/2/pad  ", "  Padded Show  ")), {{"Padded Show", "/shows/2/pad"}}},
        PageCase{"SameTitleTwice", Page(Entry("/shows/1/a", "Same") + Entry("/shows/2/b", "Same")),
                 {{"Same", "/shows/1/a"}, {"Same", "/shows/2/b"}}},
        PageCase{"CharacterReferencesKept", Page(Entry("/shows/5/law-&amp;-order", "Law &amp; Order")),
                 {{"Law &amp; Order", "/shows/5/law-&amp;-order"}}},
        PageCase{"NoSeparatorGivesEmptyName", Page(RawEntry("/shows/9/plain\">Plain")),
                 {{"", "/shows/9/plain\">Plain"}}},
        PageCase{"BlankEntriesSkipped", Page(RawEntry("") + RawEntry("    ") + Entry("/shows/3/c", "C")),
                 {{"C", "/shows/3/c"}}},
        PageCase{"BarInTitleEndsTheName", Page(Entry("/shows/4/d", "Left|Right")), {{"Left", "/shows/4/d"}}},
        PageCase{"SecondSeparatorEndsTheName", Page(Entry("/p", "One" + std::string(kPathTitleSeparator) + "Two")),
                 {{"One", "/p"}}},
        PageCase{"OnlySeparator", Page(RawEntry(kPathTitleSeparator)), {{"", ""}}},
        PageCase{"EntryStartInsideAnEntry",
                 Page(std::string(kShowEntryStart) + "/a" + Entry("/b", "B")),
                 {{"B", "/a" + std::string(kShowEntryStart) + "/b"}, {"B", "/b"}}},
        PageCase{"UnterminatedEntryEndsThePage",
                 Page(Entry("/shows/1/a", "A") + std::string(kShowEntryStart) + "/shows/2/b/\" class=\"thread_link\">B"),
                 {{"A", "/shows/1/a"}}},
        PageCase{"NoEntries", "<html>nothing here</html>", {}},
        PageCase{"EmptyPage", "", {}}),
    ByLabel());

TEST(ReadShowListPage, AgreesWithTheStepByStepReadingOnRandomPages) {
  // Pieces that make entries, separators, stray bars and blanks likely.
  const std::string pieces[] = {std::string(kShowEntryStart), std::string(kShowEntryEnd),
                                std::string(kPathTitleSeparator), "|", " ", "/shows/1", "Title", "/\"", ">", "\n"};
  std::mt19937 random(31337);
  std::size_t shows = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string page;
    const int count = std::uniform_int_distribution<int>(0, 24)(random);
    for (int i = 0; i < count; ++i) page += pieces[std::uniform_int_distribution<std::size_t>(0, 9)(random)];
    const auto expected = testing::ReadShowListPageStepByStep(page);
    const auto actual = ReadShowListPage(page);
    ASSERT_EQ(actual.size(), expected.size()) << page;
    for (std::size_t i = 0; i < actual.size(); ++i) {
      ASSERT_EQ(actual[i].name, expected[i].name) << page;
      ASSERT_EQ(actual[i].pagePath, expected[i].pagePath) << page;
    }
    shows += actual.size();
  }
  EXPECT_GT(shows, 5000u);  // the pages did hold entries
}

TEST(ReadShowListPage, KeepsAtMostTheTableCapacity) {
  std::string entries;
  for (std::size_t i = 0; i < kShowTableCapacity + 5; ++i) {
    entries += Entry("/shows/" + std::to_string(i), "Show " + std::to_string(i));
  }
  const auto shows = ReadShowListPage(Page(entries));
  ASSERT_EQ(shows.size(), kShowTableCapacity);
  EXPECT_EQ(shows.front().name, "Show 0");
  EXPECT_EQ(shows.back().name, "Show 9999");
}

TEST(FreshLastChecked, TenMinutesAndTenSecondsAgoWrapped) {
  struct Case {
    double now;
    std::int32_t lastChecked;
  };
  const Case cases[] = {
      {50000.3, 49390}, {50000.5, 49391}, {610.0, 0}, {300.0, 86090}, {0.0, 85790}, {609.6, 0}, {86399.9, 85790},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.now);
    EXPECT_EQ(FreshLastChecked(c.now), c.lastChecked);
  }
}

// --- The worker ------------------------------------------------------------

constexpr char kSite[] = "http://kestrix.test/";
constexpr char kShowListUrl[] = "http://kestrix.test/showlist/";

// A run of the worker on fakes; the folder, window and fetcher can be
// replaced by variants that do more.
class ShowListRun {
 public:
  ShowListRun(FakeProgramFolder& programFolder, RecordingShowListView& mainWindow, PageFetcher& pageFetcher)
      : folder(programFolder), window(mainWindow), fetcher(pageFetcher) {}

  int Run() {
    ShowListJob job(store, fetcher, folder, clock, window, texts, kSite, statusPhase, cancel);
    job.listBatchSize = batchSize;
    return ReadShowList(job);
  }

  std::vector<std::string> ListTexts() const {
    std::vector<std::string> result;
    for (const auto& item : window.Items()) result.push_back(item.text);
    return result;
  }
  std::vector<bool> ListTicks() const {
    std::vector<bool> result;
    for (const auto& item : window.Items()) result.push_back(item.favorite);
    return result;
  }

  FakeProgramFolder& folder;
  RecordingShowListView& window;
  PageFetcher& fetcher;
  ShowStore store;
  FakeClock clock{50000.3};
  LanguageTexts texts;
  std::atomic<int> statusPhase{0};
  CancelToken cancel = MakeCancelToken();
  std::size_t batchSize = kShowListBatchSize;
};

class ReadShowListTest : public ::testing::Test {
 protected:
  void Serve(const std::string& page) { fetcher.Serve(kShowListUrl, page); }

  FakeProgramFolder folder;
  RecordingShowListView window;
  FakeFetcher fetcher;
  ShowListRun run{folder, window, fetcher};
};

TEST_F(ReadShowListTest, FailedDownloadPausesAndReturnsMinusOne) {
  run.folder.Put("Epiloom.favorite", "A|/a>S01E01H\r\n");
  run.store.showTable.resize(3);  // the previous table
  EXPECT_EQ(run.Run(), kShowListDownloadFailed);
  EXPECT_EQ(fetcher.requests(), std::vector<std::string>{kShowListUrl});
  EXPECT_EQ(run.clock.sleeps(), std::vector<int>{2000});
  EXPECT_EQ(run.statusPhase.load(), 1);
  EXPECT_EQ(run.window.log(), (std::vector<std::string>{"status Getting the list of TV Shows from Kestrix",
                                                         "spinner shown"}));
  EXPECT_TRUE(run.store.showTable.empty());
  EXPECT_EQ(run.store.lists.favoritesText, "\nA|/a>S01E01H\n");  // loaded all the same
  EXPECT_EQ(run.store.lists.missingFavorites, "\nA\n");
}

TEST_F(ReadShowListTest, PageWithoutShowsPausesAndReturnsMinusTwo) {
  for (const std::string& page : {std::string("<html>maintenance</html>"), Page(RawEntry("  ") + RawEntry(""))}) {
    SCOPED_TRACE(page);
    FakeProgramFolder emptyFolder;
    RecordingShowListView freshWindow;
    FakeFetcher site;
    site.Serve(kShowListUrl, page);
    ShowListRun again(emptyFolder, freshWindow, site);
    EXPECT_EQ(again.Run(), kShowListEmpty);
    EXPECT_EQ(again.clock.sleeps(), std::vector<int>{2000});
    EXPECT_TRUE(again.store.showTable.empty());
    EXPECT_EQ(FindShow(again.store.showTable, ""), again.store.showTable.size());
    EXPECT_TRUE(again.window.Items().empty());
  }
}

TEST_F(ReadShowListTest, FillsTableAndListMarkingFavorites) {
  run.folder.Put("Epiloom.favorite",
                 "Some Show|/shows/123/some-show>S02E05H\r\nGone|/shows/4/gone>S01E01L\r\n"
                 "Blocked Fav|/shows/5/blocked-fav>S03E03H\r\n");
  run.folder.Put("Epiloom.blacklist", "Blocked\r\nBlocked Fav\r\n");
  Serve(Page(Entry("/shows/1/first", "First") + Entry("/shows/2/blocked", "Blocked") +
             Entry("/shows/123/some-show", "Some Show") + Entry("/shows/5/blocked-fav", "Blocked Fav")));

  EXPECT_EQ(run.Run(), 4);

  const ShowTable& table = run.store.showTable;
  ASSERT_EQ(table.size(), 4u);  // blacklisted shows are recorded too, in page order
  struct Expected {
    const char* name;
    const char* pagePath;
    const char* lastWatched;
    std::int16_t quality;
  };
  const Expected expected[] = {
      {"First", "/shows/1/first", "S00E00", 0},
      {"Blocked", "/shows/2/blocked", "S00E00", 0},
      {"Some Show", "/shows/123/some-show", "S02E05", 1},
      {"Blocked Fav", "/shows/5/blocked-fav", "S00E00", 0},  // blacklisted: not taken as a favourite
  };
  for (std::size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(table[i].name, expected[i].name);
    EXPECT_EQ(table[i].pagePath, expected[i].pagePath);
    EXPECT_EQ(table[i].lastWatched, expected[i].lastWatched);
    EXPECT_EQ(table[i].quality, expected[i].quality);
    EXPECT_EQ(table[i].lastChecked, 49390);
    EXPECT_TRUE(table[i].episodes.empty());
  }

  EXPECT_EQ(run.ListTexts(), (std::vector<std::string>{"First", "Some Show"}));
  EXPECT_EQ(run.ListTicks(), (std::vector<bool>{false, true}));
  const auto log = run.window.log();
  EXPECT_NE(std::find(log.begin(), log.end(), "favourite Some Show"), log.end());  // ticked as it is appended

  // The blacklisted favourite stays missing, so the window will prune it.
  EXPECT_EQ(run.store.lists.missingFavorites, "\nGone\nBlocked Fav\n");
  EXPECT_EQ(run.store.lists.blacklistText, "\nBlocked\nBlocked Fav\n");
  EXPECT_EQ(run.window.Text(Element::StatusLine), "2 Kestrix Shows available:");
  EXPECT_EQ(run.window.Text(Element::SettingsButton), "Settings for\nmy 3 TV Shows");
  EXPECT_EQ(run.store.shownCounts.listedShows, 2);
  EXPECT_TRUE(run.clock.sleeps().empty());
  EXPECT_EQ(run.statusPhase.load(), 1);
}

// Five listed shows, two of them favourites, and a blacklisted one between.
struct BatchCase {
  const char* label;
  std::size_t batchSize;
  std::vector<std::size_t> batches;
};
void PrintTo(const BatchCase& c, std::ostream* os) { *os << c.label; }

class ShowListBatchTest : public ::testing::TestWithParam<BatchCase> {};

TEST_P(ShowListBatchTest, HandsTheListOverInBatchesInPageOrder) {
  FakeProgramFolder folder;
  RecordingShowListView window;
  FakeFetcher fetcher;
  ShowListRun run(folder, window, fetcher);
  run.batchSize = GetParam().batchSize;
  folder.Put("Epiloom.favorite", "B|/b>S01E02H\r\nE|/e>S00E00L\r\n");
  folder.Put("Epiloom.blacklist", "X\r\n");
  fetcher.Serve(kShowListUrl, Page(Entry("/a", "A") + Entry("/b", "B") + Entry("/x", "X") + Entry("/c", "C") +
                                   Entry("/d", "D") + Entry("/e", "E")));

  EXPECT_EQ(run.Run(), 6);
  EXPECT_EQ(window.BatchSizes(), GetParam().batches);
  EXPECT_EQ(run.ListTexts(), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
  EXPECT_EQ(run.ListTicks(), (std::vector<bool>{false, true, false, false, true}));
  // The whole list is in before the count is written.
  const auto log = window.log();
  const auto lastShow = std::find(log.begin(), log.end(), "favourite E");
  const auto count = std::find(log.begin(), log.end(), "status 5 Kestrix Shows available:");
  ASSERT_NE(count, log.end());
  EXPECT_LT(lastShow, count);
  EXPECT_EQ(run.store.showTable[1].lastWatched, "S01E02");
  EXPECT_EQ(run.store.lists.missingFavorites, "\n");
}

INSTANTIATE_TEST_SUITE_P(Sizes, ShowListBatchTest,
                         ::testing::Values(BatchCase{"OneByOne", 1, {1, 1, 1, 1, 1}},
                                           BatchCase{"ZeroTakenAsOne", 0, {1, 1, 1, 1, 1}},
                                           BatchCase{"Pairs", 2, {2, 2, 1}},
                                           BatchCase{"Threes", 3, {3, 2}},
                                           BatchCase{"Exact", 5, {5}},
                                           BatchCase{"Larger", 200, {5}}),
                         ByLabel());

TEST_F(ReadShowListTest, MissingFavoritesLosesOnlyEqualNames) {
  run.folder.Put("Epiloom.favorite", "The Lost|/shows/9/the-lost>S00E00L\r\nLost|/shows/1/lost>S01E01H\r\n");
  Serve(Page(Entry("/shows/1/lost", "Lost")));
  EXPECT_EQ(run.Run(), 1);
  EXPECT_EQ(run.store.lists.missingFavorites, "\nThe Lost\n");
}

TEST_F(ReadShowListTest, CutTitleFavoriteMatchesOnTheNextRun) {
  const std::string page = Page(Entry("/shows/1/long", kLongTitle) + Entry("/shows/2/other", "Other"));
  Serve(page);
  ASSERT_EQ(run.Run(), 2);
  ShowRecord favorite = run.store.showTable[0];
  EXPECT_EQ(favorite.name.size(), 42u);
  favorite.lastWatched = "S04E01";
  AddFavorite(run.store.lists, favorite);
  ASSERT_TRUE(SaveUserLists(run.store, run.folder));

  RecordingShowListView nextWindow;
  ShowListRun next(folder, nextWindow, fetcher);
  ASSERT_EQ(next.Run(), 2);
  EXPECT_EQ(next.ListTicks(), (std::vector<bool>{true, false}));
  EXPECT_EQ(next.store.showTable[0].lastWatched, "S04E01");
  EXPECT_EQ(next.store.lists.missingFavorites, "\n");
}

TEST_F(ReadShowListTest, ShowsBeyondTheCapacityAreDropped) {
  std::string entries;
  for (std::size_t i = 0; i < kShowTableCapacity + 3; ++i) {
    const std::string number = std::to_string(i);
    entries += Entry(std::string("/s/").append(number), std::string("S").append(number));
  }
  Serve(Page(entries));
  EXPECT_EQ(run.Run(), static_cast<int>(kShowTableCapacity));
  EXPECT_EQ(run.store.showTable.size(), kShowTableCapacity);
  EXPECT_EQ(run.window.Items().size(), kShowTableCapacity);
  // A long list costs the window few batches, not a message per show.
  const auto batches = run.window.BatchSizes();
  EXPECT_EQ(batches.size(), (kShowTableCapacity + kShowListBatchSize - 1) / kShowListBatchSize);
  EXPECT_EQ(batches.front(), kShowListBatchSize);
  EXPECT_EQ(run.window.Text(Element::StatusLine), "10000 Kestrix Shows available:");
}

// --- Abandoned runs --------------------------------------------------------

// What the store held, to tell whether anything reached it.
struct StoreState {
  UserLists lists;
  std::vector<std::string> names;
  std::vector<int> counts;

  static StoreState Of(ShowStore& store) {
    std::lock_guard lock(store.mutex);
    StoreState state{store.lists, {}, {}};
    for (const ShowRecord& record : store.showTable) state.names.push_back(record.name);
    const ShownCounts& c = store.shownCounts;
    state.counts = {c.listedShows, c.favorites, c.unwatchedFavorites, c.blacklisted};
    return state;
  }
  bool operator==(const StoreState& other) const {
    return lists.favoritesText == other.lists.favoritesText && lists.blacklistText == other.lists.blacklistText &&
           lists.missingFavorites == other.lists.missingFavorites && names == other.names && counts == other.counts;
  }
};

enum class CancelPoint { BeforeStart, ReadingTheLists, Downloading, FirstBatchListed, CountingTheList };

// Fakes that call a hook at one point of the run.
class HookedFolder : public FakeProgramFolder {
 public:
  std::optional<std::string> ReadFile(const std::string& name) const override {
    auto content = FakeProgramFolder::ReadFile(name);
    if (name == kBlacklistFileName && hook) hook();
    return content;
  }
  std::function<void()> hook;
};

class HookedWindow : public RecordingShowListView {
 public:
  void AppendShows(const std::vector<ListedShow>& shows) override {
    RecordingShowListView::AppendShows(shows);
    if (BatchSizes().size() == 1 && onFirstBatch) onFirstBatch();
  }
  int ListedShowCount() override {
    if (onCount) onCount();
    return RecordingShowListView::ListedShowCount();
  }
  std::function<void()> onFirstBatch;
  std::function<void()> onCount;
};

class HookedFetcher : public FakeFetcher {
 public:
  std::string URLDownloadToString(const std::string& url) override {
    if (hook) hook();
    return FakeFetcher::URLDownloadToString(url);
  }
  std::function<void()> hook;
};

struct CancelCase {
  const char* label;
  CancelPoint point;
  bool listsCommitted;  // the lists reached the store before the cancel
};
void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.label; }

class AbandonedRunTest : public ::testing::TestWithParam<CancelCase> {};

TEST_P(AbandonedRunTest, NothingMoreReachesStoreOrWindow) {
  const CancelCase& c = GetParam();
  HookedFolder folder;
  HookedWindow window;
  HookedFetcher fetcher;
  ShowListRun run(folder, window, fetcher);
  run.batchSize = 2;  // A and C, then D: the second batch must never land
  folder.Put("Epiloom.favorite", "A|/a>S01E01H\r\nGone|/g>S00E00L\r\n");
  folder.Put("Epiloom.blacklist", "B\r\n");
  fetcher.Serve(kShowListUrl, Page(Entry("/a", "A") + Entry("/b", "B") + Entry("/c", "C") + Entry("/d", "D")));
  run.store.lists = {"\nold|/o>S01E01L\n", "\nold\n", "\nold\n"};
  run.store.showTable.resize(2);

  StoreState atCancel;
  std::vector<std::string> windowAtCancel;
  int phaseAtCancel = -1;
  const auto cancelNow = [&] {
    if (run.cancel->Raised()) return;
    atCancel = StoreState::Of(run.store);
    windowAtCancel = window.log();
    phaseAtCancel = run.statusPhase.load();
    run.cancel->Raise();
  };
  switch (c.point) {
    case CancelPoint::BeforeStart: cancelNow(); break;
    case CancelPoint::ReadingTheLists: folder.hook = cancelNow; break;
    case CancelPoint::Downloading: fetcher.hook = cancelNow; break;
    case CancelPoint::FirstBatchListed: window.onFirstBatch = cancelNow; break;
    case CancelPoint::CountingTheList: window.onCount = cancelNow; break;
  }

  EXPECT_EQ(run.Run(), kShowListAbandoned);
  ASSERT_TRUE(run.cancel->Raised());
  EXPECT_EQ(StoreState::Of(run.store), atCancel);
  EXPECT_EQ(window.log(), windowAtCancel);
  EXPECT_EQ(run.statusPhase.load(), phaseAtCancel);
  EXPECT_TRUE(run.clock.sleeps().empty());
  EXPECT_EQ(atCancel.lists.favoritesText == "\nA|/a>S01E01H\nGone|/g>S00E00L\n", c.listsCommitted);
  // A table is only ever committed whole.
  EXPECT_TRUE(atCancel.names.empty() || atCancel.names.size() == 2u);
}

INSTANTIATE_TEST_SUITE_P(Points, AbandonedRunTest,
                         ::testing::Values(CancelCase{"BeforeStart", CancelPoint::BeforeStart, false},
                                           CancelCase{"ReadingTheLists", CancelPoint::ReadingTheLists, false},
                                           CancelCase{"Downloading", CancelPoint::Downloading, true},
                                           CancelCase{"FirstBatchListed", CancelPoint::FirstBatchListed, true},
                                           CancelCase{"CountingTheList", CancelPoint::CountingTheList, true}),
                         ByLabel());

TEST(ReadShowListThread, AbandonedDuringTheDownloadWritesNothingMore) {
  for (const bool abandon : {false, true}) {
    SCOPED_TRACE(abandon ? "abandoned" : "left to finish");
    FakeProgramFolder folder;
    RecordingShowListView window;
    HoldingFetcher fetcher(Page(Entry("/a", "A") + Entry("/b", "B") + Entry("/c", "C")), 1);
    ShowListRun run(folder, window, fetcher);
    folder.Put("Epiloom.favorite", "B|/b>S02E02H\r\nGone|/g>S00E00L\r\n");

    int result = 0;
    std::thread worker([&] { result = run.Run(); });
    fetcher.WaitUntilHeld();
    const StoreState before = StoreState::Of(run.store);
    const std::vector<std::string> windowBefore = window.log();
    if (abandon) run.cancel->Raise();
    fetcher.Release();
    worker.join();

    EXPECT_EQ(before.lists.favoritesText, "\nB|/b>S02E02H\nGone|/g>S00E00L\n");
    if (abandon) {
      EXPECT_EQ(result, kShowListAbandoned);
      EXPECT_EQ(StoreState::Of(run.store), before);
      EXPECT_EQ(window.log(), windowBefore);
    } else {
      EXPECT_EQ(result, 3);
      EXPECT_EQ(run.store.showTable.size(), 3u);
      EXPECT_EQ(run.store.lists.missingFavorites, "\nGone\n");
      EXPECT_EQ(run.ListTicks(), (std::vector<bool>{false, true, false}));
    }
  }
}

}  // namespace
}  // namespace epiloom
