// The episode check with pages downloaded ahead, several at once, against
// the same check reading each page in its turn: the same fixtures must give
// the same records, result, dialog writes and pauses.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "fakes/Fakes.h"
#include "site/EpisodePages.h"

namespace epiloom {
namespace {

using testing::FakeClock;
using testing::GatedFetcher;
using testing::RecordingEpisodeCheckView;

constexpr char kSite[] = "http://kestrix.test/";
// Just before noon: a show checked at 42600 becomes due 10 ms into the check,
// one checked at 43800 stops being due then.
constexpr double kStart = 43199.995;

// How a favourite's line and record are set up.
enum class Kind {
  Due,            // read: its page holds episodes
  NotDue,         // checked 100 s ago: a 10 ms pause
  Missing,        // a line without a record in the table
  Failing,        // due, but its download brings nothing
  NoLinks,        // due, its page holds no episode link
  BecomesDue,     // not due when the check starts, due once 10 ms passed
  StopsBeingDue,  // due when the check starts, not any more 10 ms later
  ListedAgain,    // a second line for the show listed just before
};

struct Favourite {
  std::string name;
  Kind kind;
};

std::string UrlOf(const std::string& name) { return kSite + ("shows/" + name + "/"); }

std::string PageOf(const std::string& name, std::size_t episodes) {
  std::string page = "<html><body><table>\n";
  for (std::size_t e = 0; e < episodes; ++e) {
    // Newest first, as the site lists them; the check sorts them.
    const std::string number = std::to_string(episodes - e);
    page += "<tr><td><a href=\"/ep/1/" + name + "-s01e0" + number + "-hdtv/\" title=\"" + name + " (" + number +
            "00 MB)\">x</a></td><td><a href=\"magnet:?" + name + number + "\">M</a></td></tr>\n";
  }
  return page + "</table></body></html>\n";
}

// A table, favourites text and site for `favourites`. Every record starts
// with an old episode, so that a record the check did not reach shows it.
void Build(const std::vector<Favourite>& favourites, ShowStore& store, GatedFetcher& fetcher) {
  store.lists.favoritesText = "\n";
  std::size_t shown = 0;
  for (const Favourite& favourite : favourites) {
    store.lists.favoritesText += favourite.name + "|/shows/" + favourite.name + ">S00E00L\n";
    if (favourite.kind == Kind::Missing || favourite.kind == Kind::ListedAgain) continue;
    ShowRecord record;
    record.name = favourite.name;
    record.pagePath = "/shows/" + favourite.name;
    record.lastWatched = "S00E00";
    record.episodes = {{"S00E01", "magnet:?old-" + favourite.name, 1.0f}};
    switch (favourite.kind) {
      case Kind::NotDue: record.lastChecked = 43100; break;
      case Kind::BecomesDue: record.lastChecked = 42600; break;
      case Kind::StopsBeingDue: record.lastChecked = 43800; break;
      default: record.lastChecked = 42590; break;  // as a refresh leaves it
    }
    store.showTable.push_back(record);
    if (favourite.kind == Kind::NoLinks) {
      fetcher.Serve(UrlOf(favourite.name), "<html><body>Coming soon</body></html>");
    } else if (favourite.kind != Kind::Failing) {
      fetcher.Serve(UrlOf(favourite.name), PageOf(favourite.name, 1 + shown++ % 3));
    }
  }
}

// The dialog, recording its writes; raises the cancel token on its n-th
// write (never for 0), as a user pressing Cancel at that moment.
class CancellingView : public EpisodeCheckView {
 public:
  CancellingView(CancelToken cancel, int cancelAtWrite) : cancel_(std::move(cancel)), cancelAt_(cancelAtWrite) {}
  void SetCurrentShow(const std::string& name) override {
    log_.SetCurrentShow(name);
    Count();
  }
  void SetCounter(const std::string& text) override {
    log_.SetCounter(text);
    Count();
  }
  std::vector<std::string> log() const { return log_.log(); }

 private:
  void Count() {
    if (++writes_ == cancelAt_) cancel_->Raise();
  }
  RecordingEpisodeCheckView log_;
  CancelToken cancel_;
  int cancelAt_;
  int writes_ = 0;
};

// Handed to the check as the fetcher's owner: tells when the last download
// thread has let go of it, after which nothing touches the fetcher again.
class OwnerWatch {
 public:
  std::shared_ptr<const void> Owner() {
    std::shared_ptr<Signal> signal = signal_;
    return std::shared_ptr<const void>(signal.get(), [signal](const void*) {
      std::lock_guard lock(signal->mutex);
      signal->released = true;
      signal->changed.notify_all();
    });
  }
  void WaitUntilReleased() {
    std::unique_lock lock(signal_->mutex);
    signal_->changed.wait(lock, [this] { return signal_->released; });
  }

 private:
  struct Signal {
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false;
  };
  std::shared_ptr<Signal> signal_ = std::make_shared<Signal>();
};

// What one run left behind.
struct Outcome {
  int result = 0;
  std::string store;
  std::vector<std::string> dialog;
  std::vector<int> sleeps;
  std::vector<std::string> requests;
};

enum class Answers { AtOnce, LaterPagesFirst, Scattered };

const char* const kAnswerNames[] = {"AtOnce", "LaterPagesFirst", "Scattered"};

void PrintTo(Answers answers, std::ostream* out) { *out << kAnswerNames[static_cast<int>(answers)]; }

// Runs the check over `favourites`; `atOnce` 1 reads each page in its turn.
// Returns once every download thread has let go of the fetcher.
Outcome RunCheck(const std::vector<Favourite>& favourites, int atOnce, Answers answers, int cancelAtWrite) {
  ShowStore store;
  GatedFetcher fetcher;
  FakeClock clock(kStart);
  Build(favourites, store, fetcher);
  for (std::size_t k = 0; k < favourites.size(); ++k) {
    const std::size_t later = favourites.size() - k;
    const int delay = answers == Answers::LaterPagesFirst ? static_cast<int>(later) * 400
                      : answers == Answers::Scattered    ? static_cast<int>((k * 7919) % 5) * 300
                                                         : 0;
    fetcher.Delay(UrlOf(favourites[k].name), delay);
  }
  CancelToken cancel = MakeCancelToken();
  CancellingView dialog(cancel, cancelAtWrite);
  OwnerWatch watch;

  Outcome outcome;
  {
    EpisodeCheckJob job(store, fetcher, clock, dialog, kSite, cancel);
    job.pagesAtOnce = atOnce;
    job.fetcherOwner = watch.Owner();
    outcome.result = CheckEpisodePages(job);
  }
  watch.WaitUntilReleased();
  outcome.store = testing::StoreState(store);
  outcome.dialog = dialog.log();
  outcome.sleeps = clock.sleeps();
  outcome.requests = fetcher.requests();
  return outcome;
}

std::vector<Favourite> Shows(const std::string& prefix, std::size_t count, Kind kind = Kind::Due) {
  std::vector<Favourite> shows;
  for (std::size_t i = 1; i <= count; ++i) shows.push_back({prefix + std::to_string(i), kind});
  return shows;
}

std::vector<Favourite> Join(std::vector<std::vector<Favourite>> parts) {
  std::vector<Favourite> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct Scenario {
  const char* name;
  std::vector<Favourite> favourites;
  int cancelAtWrite;  // 0: never cancelled
  int result;         // what the check returns
};

void PrintTo(const Scenario& s, std::ostream* out) { *out << s.name; }

const std::vector<Favourite> kMixed = Join({Shows("Alpha", 3), {{"Gone", Kind::Missing}}, Shows("Quiet", 2, Kind::NotDue),
                                            {{"Soon", Kind::NoLinks}}, Shows("Beta", 4), {{"Beta4", Kind::ListedAgain}},
                                            {{"Quiet1", Kind::ListedAgain}}, Shows("Gamma", 3)});

const std::vector<Scenario> kScenarios = {
    {"TwentyDue", Shows("Show", 20), 0, 20},
    {"MixedKinds", kMixed, 0, 16},
    {"NoFavourites", {}, 0, 0},
    {"NoneDue", Shows("Quiet", 5, Kind::NotDue), 0, 5},
    {"FailureFirst", Join({{{"Broken", Kind::Failing}}, Shows("Show", 9)}), 0, -1},
    {"FailureInTheMiddle", Join({Shows("Alpha", 4), {{"Broken", Kind::Failing}}, Shows("Beta", 10)}), 0, -1},
    {"FailureAfterPauses", Join({Shows("Quiet", 3, Kind::NotDue), Shows("Alpha", 2), {{"Broken", Kind::Failing}},
                                 Shows("Beta", 3), {{"Broken2", Kind::Failing}}}),
     0, -1},
    {"LastFails", Join({Shows("Alpha", 9), {{"Broken", Kind::Failing}}}), 0, -1},
    {"TimePassesDuringTheCheck",
     {{"Quiet", Kind::NotDue}, {"Late", Kind::BecomesDue}, {"Early", Kind::StopsBeingDue}, {"Alpha", Kind::Due}},
     0,
     4},
    {"CancelledAtTheFirstWrite", Shows("Show", 12), 1, -1},
    {"CancelledAtTheSecondFavourite", Shows("Show", 12), 3, -1},
    {"CancelledAtACounter", kMixed, 14, -1},
    {"CancelledAtTheLastFavourite", kMixed, 31, -1},
    {"CancelledAtTheLastCounter", Shows("Show", 6), 12, -1},
};

const Scenario& Named(const std::string& name) {
  return *std::find_if(kScenarios.begin(), kScenarios.end(), [&](const Scenario& s) { return s.name == name; });
}

using AheadCase = std::tuple<Scenario, int, Answers>;

class SameAsInTurn : public ::testing::TestWithParam<AheadCase> {};

TEST_P(SameAsInTurn, RecordsResultDialogAndPauses) {
  const auto& [scenario, atOnce, answers] = GetParam();
  const Outcome inTurn = RunCheck(scenario.favourites, 1, Answers::AtOnce, scenario.cancelAtWrite);
  const Outcome ahead = RunCheck(scenario.favourites, atOnce, answers, scenario.cancelAtWrite);

  EXPECT_EQ(inTurn.result, scenario.result);
  EXPECT_EQ(ahead.result, inTurn.result);
  EXPECT_EQ(ahead.store, inTurn.store);
  EXPECT_EQ(ahead.dialog, inTurn.dialog);
  EXPECT_EQ(ahead.sleeps, inTurn.sleeps);

  // Each page is requested once at most, and every page the check in turn
  // read was read ahead too (unless the check was cancelled: then the
  // check in turn still makes the download it was about to make).
  const std::set<std::string> requested(ahead.requests.begin(), ahead.requests.end());
  EXPECT_EQ(requested.size(), ahead.requests.size());
  if (scenario.cancelAtWrite != 0) return;
  for (const std::string& url : inTurn.requests) EXPECT_EQ(requested.count(url), 1u) << url;
}

std::string AheadCaseName(const ::testing::TestParamInfo<AheadCase>& info) {
  const auto& [scenario, atOnce, answers] = info.param;
  return std::string(scenario.name) + "_" + std::to_string(atOnce) + "_" + kAnswerNames[static_cast<int>(answers)];
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SameAsInTurn,
                         ::testing::Combine(::testing::ValuesIn(kScenarios), ::testing::Values(3, kEpisodePagesAtOnce),
                                            ::testing::Values(Answers::AtOnce, Answers::LaterPagesFirst,
                                                              Answers::Scattered)),
                         AheadCaseName);

TEST(SameAsInTurnFixtures, CoverWhatTheyAreNamedFor) {
  // The fixtures must reach what they claim: the mixed list reads its due
  // shows, keeps the shows that are not due and drops the announced show's
  // old episode.
  const Outcome mixed = RunCheck(kMixed, 1, Answers::AtOnce, 0);
  EXPECT_NE(mixed.store.find("Alpha1 43200: S01E01,magnet:?Alpha11,100"), std::string::npos) << mixed.store;
  EXPECT_NE(mixed.store.find("Quiet1 43100: S00E01,magnet:?old-Quiet1,1"), std::string::npos) << mixed.store;
  EXPECT_NE(mixed.store.find("Soon 43200:\n"), std::string::npos) << mixed.store;
  // Two shows not due, and two lines of shows read just before.
  EXPECT_EQ(mixed.sleeps, std::vector<int>(4, 10));
  // Late is read, Early is not, in turn.
  const Outcome time = RunCheck(Named("TimePassesDuringTheCheck").favourites, 1, Answers::AtOnce, 0);
  EXPECT_EQ(time.requests, (std::vector<std::string>{UrlOf("Late"), UrlOf("Alpha")}));
  // A failure keeps the later favourites' old data after the 2 s pause.
  const Outcome failed = RunCheck(Named("FailureInTheMiddle").favourites, kEpisodePagesAtOnce, Answers::AtOnce, 0);
  EXPECT_NE(failed.store.find("Alpha4 43200:"), std::string::npos) << failed.store;
  EXPECT_NE(failed.store.find("Beta1 42590: S00E01,magnet:?old-Beta1,1"), std::string::npos) << failed.store;
  EXPECT_EQ(failed.sleeps, std::vector<int>{2000});
}

// --- Downloads ahead and their threads --------------------------------------

class PagesAhead : public ::testing::Test {
 protected:
  void SetUp() override {
    Build(Shows("Show", 20), store, fetcher);
    for (int k = 1; k <= 20; ++k) fetcher.Close(UrlOf("Show" + std::to_string(k)));
  }

  // Starts the check on a thread of its own.
  void Start(int atOnce, bool owned = true) {
    job = std::make_unique<EpisodeCheckJob>(store, fetcher, clock, dialog, kSite, cancel);
    job->pagesAtOnce = atOnce;
    if (owned) job->fetcherOwner = watch.Owner();
    worker = std::thread([this] { result = CheckEpisodePages(*job); });
  }
  // Waits for the check to return, then for its downloads to end.
  void Finish() {
    fetcher.OpenAll();
    worker.join();
    job.reset();
    watch.WaitUntilReleased();
  }
  // Waits until the dialog has shown `line`.
  void WaitForDialog(const std::string& line) {
    for (;;) {
      const std::vector<std::string> log = dialog.log();
      if (std::find(log.begin(), log.end(), line) != log.end()) return;
      std::this_thread::yield();
    }
  }

  ShowStore store;
  GatedFetcher fetcher;
  FakeClock clock{kStart};
  RecordingEpisodeCheckView dialog;
  CancelToken cancel = MakeCancelToken();
  OwnerWatch watch;
  std::unique_ptr<EpisodeCheckJob> job;
  std::thread worker;
  int result = 0;
};

TEST_F(PagesAhead, RunsTheFixedNumberOfDownloadsAtOnceInFavouritesOrder) {
  Start(kEpisodePagesAtOnce);
  fetcher.WaitUntilHeld(kEpisodePagesAtOnce);
  // Every download thread is held: no ninth download has started.
  std::vector<std::string> first;
  for (int k = 1; k <= kEpisodePagesAtOnce; ++k) first.push_back(UrlOf("Show" + std::to_string(k)));
  std::vector<std::string> requests = fetcher.requests();
  std::sort(requests.begin(), requests.end());
  std::sort(first.begin(), first.end());
  EXPECT_EQ(requests, first);
  Finish();
  EXPECT_EQ(result, 20);
  EXPECT_EQ(fetcher.requests().size(), 20u);
  EXPECT_NE(testing::StoreState(store).find("checked=1"), std::string::npos);
}

TEST_F(PagesAhead, WithoutAnOwnerForTheFetcherReadsEachPageInTurn) {
  Start(kEpisodePagesAtOnce, /*owned=*/false);
  fetcher.WaitUntilHeld(1);
  // The check's own thread is held in the first download; nothing else runs.
  EXPECT_EQ(fetcher.requests(), std::vector<std::string>{UrlOf("Show1")});
  fetcher.OpenAll();
  worker.join();
  EXPECT_EQ(result, 20);
}

struct CancelPoint {
  const char* name;
  int pagesFirst;  // pages answered before the cancel
};

void PrintTo(const CancelPoint& c, std::ostream* out) { *out << c.name; }

class CancelledWhileWaiting : public PagesAhead, public ::testing::WithParamInterface<CancelPoint> {};

TEST_P(CancelledWhileWaiting, ReturnsAtOnceAndNothingOfItsDownloadsLands) {
  const CancelPoint& c = GetParam();
  Start(kEpisodePagesAtOnce);
  fetcher.WaitUntilHeld(kEpisodePagesAtOnce);
  for (int k = 1; k <= c.pagesFirst; ++k) fetcher.Open(UrlOf("Show" + std::to_string(k)));
  // The check waits for the next page, which stays held.
  WaitForDialog("counter (" + std::to_string(c.pagesFirst + 1) + "/20)");
  const std::string before = testing::StoreState(store);
  const std::size_t writes = dialog.log().size();
  {
    std::lock_guard lock(store.mutex);  // as the dialog abandons its worker
    cancel->Raise();
  }
  // The check returns while its downloads are still held.
  worker.join();
  EXPECT_EQ(result, -1);
  EXPECT_GE(fetcher.held(), 1u);
  const std::size_t started = fetcher.requests().size();

  job.reset();
  fetcher.OpenAll();
  watch.WaitUntilReleased();
  EXPECT_EQ(testing::StoreState(store), before);
  EXPECT_EQ(dialog.log().size(), writes);
  // No download started once the check had returned.
  EXPECT_EQ(fetcher.requests().size(), started);
  int read = 0;
  for (const ShowRecord& record : store.showTable) read += record.lastChecked == 43200 ? 1 : 0;
  EXPECT_EQ(read, c.pagesFirst);
}

INSTANTIATE_TEST_SUITE_P(Moments, CancelledWhileWaiting,
                         ::testing::Values(CancelPoint{"ForTheFirstPage", 0}, CancelPoint{"ForTheFourthPage", 3},
                                           CancelPoint{"ForTheNinthPage", 8}),
                         [](const auto& param) { return std::string(param.param.name); });

// Stands between the check and the fetcher: notes, as each download starts,
// how far its favourite is ahead of the one the dialog shows.
class LeadWatch : public PageFetcher {
 public:
  LeadWatch(PageFetcher& fetcher, const RecordingEpisodeCheckView& dialog) : fetcher_(fetcher), dialog_(dialog) {}
  std::string URLDownloadToString(const std::string& url) override {
    const std::string counter = dialog_.Counter();  // "(k/20)", empty before the first favourite
    const int shown = counter.empty() ? 0 : std::stoi(counter.substr(1));
    const int wanted = std::stoi(url.substr(url.find("/Show") + 5));
    {
      std::lock_guard lock(mutex_);
      lead_ = std::max(lead_, wanted - shown);
    }
    return fetcher_.URLDownloadToString(url);
  }
  int lead() const {
    std::lock_guard lock(mutex_);
    return lead_;
  }

 private:
  PageFetcher& fetcher_;
  const RecordingEpisodeCheckView& dialog_;
  mutable std::mutex mutex_;
  int lead_ = 0;
};

TEST_F(PagesAhead, HoldsAtMostTheFixedNumberOfPagesAheadOfTheOneItReads) {
  // The first page is held; every other one answers at once. Pages ahead
  // stay in memory until the check reads them, so downloads must not run
  // through all the favourites while it waits for the first.
  for (int k = 2; k <= 20; ++k) fetcher.Open(UrlOf("Show" + std::to_string(k)));
  LeadWatch lead(fetcher, dialog);
  job = std::make_unique<EpisodeCheckJob>(store, lead, clock, dialog, kSite, cancel);
  job->pagesAtOnce = kEpisodePagesAtOnce;
  job->fetcherOwner = watch.Owner();
  worker = std::thread([this] { result = CheckEpisodePages(*job); });
  fetcher.WaitUntilHeld(1);
  // Time for downloads beyond the window to start, were they allowed: a
  // bounded wait that ends early once every page has been asked for.
  for (int waited = 0; waited < 200 && fetcher.requests().size() < 20; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  Finish();
  EXPECT_EQ(result, 20);
  EXPECT_EQ(fetcher.requests().size(), 20u);
  // Favourite n is asked for only once the dialog shows n - 8 or later: the
  // page of n - 9 and those before it have been taken.
  EXPECT_LE(lead.lead(), kEpisodePagesAtOnce);
  EXPECT_GE(lead.lead(), kEpisodePagesAtOnce - 1);  // and the window is used
}

TEST_F(PagesAhead, FailedPageEndsTheCheckWithoutWaitingForTheOthers) {
  fetcher.Open(UrlOf("Show1"));
  fetcher.Serve(UrlOf("Show2"), "");  // fails
  fetcher.Open(UrlOf("Show2"));
  Start(kEpisodePagesAtOnce);
  // Pages 3 and on stay held while the check ends.
  worker.join();
  EXPECT_EQ(result, -1);
  EXPECT_EQ(clock.sleeps(), std::vector<int>{2000});
  const std::string after = testing::StoreState(store);

  job.reset();
  fetcher.OpenAll();
  watch.WaitUntilReleased();
  EXPECT_EQ(testing::StoreState(store), after);
  EXPECT_EQ(store.showTable[0].lastChecked, 43200);
  for (std::size_t i = 1; i < store.showTable.size(); ++i) {
    EXPECT_EQ(store.showTable[i].lastChecked, 42590) << i;
    EXPECT_EQ(store.showTable[i].lastEpisode(), 0) << i;
  }
  EXPECT_FALSE(store.episodesChecked);
}

}  // namespace
}  // namespace epiloom
