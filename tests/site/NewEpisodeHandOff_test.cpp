#include "site/NewEpisodeHandOff.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <map>
#include <set>
#include <thread>

#include "fakes/Fakes.h"

namespace epiloom {
namespace {

using testing::FakeClock;
using testing::FakeMessageBoxes;
using testing::FakeProgramFolder;

constexpr char kFolder[] = "C:\\Epiloom\\";

// Records what the hand-off asks of the platform, in one log.
class RecordingShell : public HandOffShell {
 public:
  explicit RecordingShell(FakeProgramFolder& folder) : folder_(folder) {}

  LocalDate Today() override { return {2013, 2, 14}; }
  void ExportProgramIcons() override {
    Log("export");
    folder_.Put("AICO.ICO", "icon");
    folder_.Put("BICO.ICO", "icon");
  }
  ShortcutResult CreateShortcut(const std::string& linkFile, const std::string& target,
                                const std::string& workingFolder, const std::string& iconFile,
                                const std::string& description) override {
    const std::string name = linkFile.substr(workingFolder.size());
    Log("shortcut " + name + " -> " + target);
    EXPECT_EQ(workingFolder, kFolder);
    EXPECT_EQ(iconFile, std::string(kFolder) + "BICO.ICO");
    EXPECT_EQ(description, "Torrent magnet created by Epiloom http://home.example/");
    if (onShortcut) onShortcut();
    const auto failing = failingShortcuts.find(name);
    if (failing != failingShortcuts.end()) return ShortcutResult::NotWritten(failing->second);
    return ShortcutResult::Written();
  }
  bool Open(const std::string& target) override {
    Log("open " + (target.rfind(kFolder, 0) == 0 ? target.substr(sizeof kFolder - 1) : target));
    if (onOpen) onOpen();
    return refusedLinks.count(target) == 0;
  }

  std::vector<std::string> log() const {
    std::lock_guard lock(mutex_);
    return log_;
  }

  std::map<std::string, std::string> failingShortcuts;  // file name -> why it is not written
  std::set<std::string> refusedLinks;                   // links no program takes
  std::function<void()> onShortcut;
  std::function<void()> onOpen;

 private:
  void Log(std::string line) {
    std::lock_guard lock(mutex_);
    log_.push_back(std::move(line));
  }
  FakeProgramFolder& folder_;
  mutable std::mutex mutex_;
  std::vector<std::string> log_;
};

class RecordingDownloadView : public DownloadView {
 public:
  void SetProgressRange(int total) override { Log("range " + std::to_string(total)); }
  void StepProgress() override { Log("step"); }
  void SetEpisodeLabel(const std::string& text) override { Log("label " + text); }
  std::vector<std::string> log() const {
    std::lock_guard lock(mutex_);
    return log_;
  }

 private:
  void Log(std::string line) {
    std::lock_guard lock(mutex_);
    log_.push_back(std::move(line));
  }
  mutable std::mutex mutex_;
  std::vector<std::string> log_;
};

ShowRecord Show(std::string name, std::string path, std::string lastWatched, std::vector<std::string> codes) {
  ShowRecord record;
  record.name = std::move(name);
  record.pagePath = std::move(path);
  record.lastWatched = std::move(lastWatched);
  for (const std::string& code : codes) {
    record.episodes.push_back({code, "magnet:?xt=" + record.name.substr(0, 1) + code, 350.0f});
  }
  return record;
}

class SelectNewEpisodesTest : public ::testing::Test {
 protected:
  SelectNewEpisodesTest() {
    store.showTable = {Show("Alpha", "/a", "S00E00", {"S01E01", "S01E02"}), Show("Other", "/o", "S00E00", {"S01E01"}),
                       Show("Beta", "/b", "S01E00", {"S01E01", "S01E02"})};
    store.showTable[2].quality = 1;  // as the refresh takes it from the "H"
    store.lists.favoritesText = "\nAlpha|/a>S00E00L\nBeta|/b>S01E00H\n";
    store.lists.blacklistText = "\n";
    boxes.AnswerYes(true);
  }

  int Run() {
    NewEpisodeJob job(store, folder, clock, window, boxes, shell, texts, "http://home.example/", cancel);
    return SelectNewEpisodes(job);
  }

  ShowStore store;
  FakeProgramFolder folder{kFolder};
  FakeClock clock;
  RecordingDownloadView window;
  FakeMessageBoxes boxes;
  RecordingShell shell{folder};
  LanguageTexts texts;
  CancelToken cancel = MakeCancelToken();
};

const std::vector<std::string> kShortcutsMade = {
    "shortcut [2013-02-14] Alpha S01E01.lnk -> magnet:?xt=AS01E01",
    "shortcut [2013-02-14] Alpha S01E02.lnk -> magnet:?xt=AS01E02",
    "shortcut [2013-02-14] Beta S01E01.lnk -> magnet:?xt=BS01E01",
    "shortcut [2013-02-14] Beta S01E02.lnk -> magnet:?xt=BS01E02",
};

const std::string kQuestionOfAll =
    "Launch the download of these 4 new episodes ?\n"
    "Alpha S01E01\nAlpha S01E02\nBeta S01E01\nBeta S01E02\n"
    "\n"
    "(you can always find the torrents back\n"
    "in Epiloom current folder:\n"
    "C:\\Epiloom\\)";

std::vector<std::string> Opens(const std::vector<std::string>& log) {
  std::vector<std::string> opens;
  for (const std::string& line : log) {
    if (line.rfind("open ", 0) == 0) opens.push_back(line);
  }
  return opens;
}

TEST_F(SelectNewEpisodesTest, HandsEveryNewEpisodeOverInOrderAndOpensTheLastMadeFirst) {
  EXPECT_EQ(Run(), 4);
  EXPECT_EQ(window.log(), (std::vector<std::string>{"range 4", "step", "label Alpha S01E01", "step",
                                                    "label Alpha S01E02", "step", "label Beta S01E01", "step",
                                                    "label Beta S01E02"}));
  // Each magnet link itself is opened, once: the shortcut stays the user's
  // record, whether or not the shell would follow it.
  std::vector<std::string> expected = {"export"};
  expected.insert(expected.end(), kShortcutsMade.begin(), kShortcutsMade.end());
  for (const char* opened : {"BS01E02", "BS01E01", "AS01E02", "AS01E01"}) {
    expected.push_back(std::string("open magnet:?xt=") + opened);
  }
  EXPECT_EQ(shell.log(), expected);
  EXPECT_EQ(clock.sleeps(), (std::vector<int>{400, 400, 400, 400}));

  const auto shown = boxes.shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].question);
  EXPECT_EQ(shown[0].caption, "Epiloom");
  EXPECT_EQ(shown[0].text, kQuestionOfAll);

  // Advanced in memory and written at once.
  const std::string advanced = "\nAlpha|/a>S01E02L\nBeta|/b>S01E02H\n";
  EXPECT_EQ(store.lists.favoritesText, advanced);
  EXPECT_EQ(store.showTable[0].lastWatched, "S01E02");
  EXPECT_EQ(store.showTable[2].lastWatched, "S01E02");
  EXPECT_EQ(folder.ReadFile("Epiloom.favorite"), "Alpha|/a>S01E02L\r\nBeta|/b>S01E02H\r\n");
}

// A shortcut that cannot be written: its episode and the later ones of its
// favourite are not handed over (not tried, not opened), the favourite
// advances only to the newest episode before it, the others go on; the
// question is about what was written and names the rest.
TEST_F(SelectNewEpisodesTest, AnEpisodeWhoseShortcutIsNotWrittenIsNotHandedOver) {
  struct Case {
    const char* label;
    std::map<std::string, std::string> failing;
    int result;
    std::vector<std::string> windowLog;
    std::vector<std::string> shellLog;
    int pauses;
    std::string question;
    std::string favoritesText;
    std::optional<std::string> favoritesFile;
  };
  const std::string d = "[2013-02-14] ";
  const std::string tail =
      "They will be offered again at the next check.\n"
      "\n"
      "(you can always find the torrents back\n"
      "in Epiloom current folder:\n"
      "C:\\Epiloom\\)";
  const std::string problem1 = "These new episodes could not be saved as shortcuts and were not handed over:\n";
  const Case cases[] = {
      {"a favourite's newest episode",
       {{d + "Alpha S01E03.lnk", "disk full"}},
       4,
       {"range 5", "step", "label Alpha S01E01", "step", "label Alpha S01E02", "step", "label Alpha S01E03", "step",
        "label Beta S01E01", "step", "label Beta S01E02"},
       {"shortcut " + d + "Alpha S01E01.lnk -> magnet:?xt=AS01E01",
        "shortcut " + d + "Alpha S01E02.lnk -> magnet:?xt=AS01E02",
        "shortcut " + d + "Alpha S01E03.lnk -> magnet:?xt=AS01E03",
        "shortcut " + d + "Beta S01E01.lnk -> magnet:?xt=BS01E01",
        "shortcut " + d + "Beta S01E02.lnk -> magnet:?xt=BS01E02", "open magnet:?xt=BS01E02",
        "open magnet:?xt=BS01E01", "open magnet:?xt=AS01E02", "open magnet:?xt=AS01E01"},
       5,
       "Launch the download of these 4 new episodes ?\n"
       "Alpha S01E01\nAlpha S01E02\nBeta S01E01\nBeta S01E02\n\n" +
           problem1 + "Alpha S01E03 (disk full)\n" + tail,
       "\nAlpha|/a>S01E02L\nBeta|/b>S01E02H\n",
       "Alpha|/a>S01E02L\r\nBeta|/b>S01E02H\r\n"},
      {"a favourite's middle episode: the newest is not tried",
       {{d + "Alpha S01E02.lnk", "a folder of that name is in the way"}},
       3,
       {"range 5", "step", "label Alpha S01E01", "step", "label Alpha S01E02", "step", "step", "label Beta S01E01",
        "step", "label Beta S01E02"},
       {"shortcut " + d + "Alpha S01E01.lnk -> magnet:?xt=AS01E01",
        "shortcut " + d + "Alpha S01E02.lnk -> magnet:?xt=AS01E02",
        "shortcut " + d + "Beta S01E01.lnk -> magnet:?xt=BS01E01",
        "shortcut " + d + "Beta S01E02.lnk -> magnet:?xt=BS01E02", "open magnet:?xt=BS01E02",
        "open magnet:?xt=BS01E01", "open magnet:?xt=AS01E01"},
       4,
       "Launch the download of these 3 new episodes ?\n"
       "Alpha S01E01\nBeta S01E01\nBeta S01E02\n\n" +
           problem1 + "Alpha S01E02 (a folder of that name is in the way)\nAlpha S01E03\n" + tail,
       "\nAlpha|/a>S01E01L\nBeta|/b>S01E02H\n",
       "Alpha|/a>S01E01L\r\nBeta|/b>S01E02H\r\n"},
      {"each favourite's oldest episode",
       {{d + "Alpha S01E01.lnk", "Access denied"}, {d + "Beta S01E01.lnk", "Access denied"}},
       0,
       {"range 5", "step", "label Alpha S01E01", "step", "step", "step", "label Beta S01E01", "step"},
       {"shortcut " + d + "Alpha S01E01.lnk -> magnet:?xt=AS01E01",
        "shortcut " + d + "Beta S01E01.lnk -> magnet:?xt=BS01E01"},
       2,
       // Nothing to ask: the error box alone.
       problem1 +
           "Alpha S01E01 (Access denied)\nAlpha S01E02\nAlpha S01E03\nBeta S01E01 (Access denied)\nBeta S01E02\n"
           "They will be offered again at the next check.",
       "\nAlpha|/a>S00E00L\nBeta|/b>S01E00H\n",
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ShowStore caseStore;
    caseStore.showTable = store.showTable;
    caseStore.showTable[0] = Show("Alpha", "/a", "S00E00", {"S01E01", "S01E02", "S01E03"});
    caseStore.lists = store.lists;
    FakeProgramFolder caseFolder{kFolder};
    caseFolder.Put("BICO.ICO", "present");
    RecordingShell caseShell{caseFolder};
    caseShell.failingShortcuts = c.failing;
    FakeMessageBoxes caseBoxes;
    caseBoxes.AnswerYes(true);
    FakeClock caseClock;
    RecordingDownloadView caseWindow;
    NewEpisodeJob job(caseStore, caseFolder, caseClock, caseWindow, caseBoxes, caseShell, texts,
                      "http://home.example/", cancel);

    EXPECT_EQ(SelectNewEpisodes(job), c.result);
    EXPECT_EQ(caseWindow.log(), c.windowLog);
    EXPECT_EQ(caseShell.log(), c.shellLog);
    EXPECT_EQ(caseClock.sleeps(), std::vector<int>(static_cast<std::size_t>(c.pauses), 400));
    const auto shown = caseBoxes.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Epiloom");
    EXPECT_EQ(shown[0].question, c.result > 0);
    if (c.result == 0) {
      EXPECT_EQ(shown[0].kind, NoticeKind::Error);
    }
    EXPECT_EQ(shown[0].text, c.question);
    EXPECT_EQ(caseStore.lists.favoritesText, c.favoritesText);
    EXPECT_EQ(caseFolder.ReadFile("Epiloom.favorite"), c.favoritesFile);
  }
}

// Where no program takes a magnet link, one error box after the last open
// names the episodes that did not reach a torrent client and the folder of
// their shortcuts; they stay handed over.
TEST_F(SelectNewEpisodesTest, EpisodesNoProgramTookAreNamedInOneBoxAfterTheOpens) {
  struct Case {
    const char* label;
    std::set<std::string> refused;
    std::string lines;  // of the box; none when empty
  };
  const Case cases[] = {
      {"no program takes magnet links",
       {"magnet:?xt=AS01E01", "magnet:?xt=AS01E02", "magnet:?xt=BS01E01", "magnet:?xt=BS01E02"},
       "Alpha S01E01\nAlpha S01E02\nBeta S01E01\nBeta S01E02\n"},
      {"one link refused", {"magnet:?xt=BS01E01"}, "Beta S01E01\n"},
      {"every link taken", {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ShowStore caseStore;
    caseStore.showTable = store.showTable;
    caseStore.lists = store.lists;
    FakeProgramFolder caseFolder{kFolder};
    RecordingShell caseShell{caseFolder};
    caseShell.refusedLinks = c.refused;
    FakeMessageBoxes caseBoxes;
    caseBoxes.AnswerYes(true);
    FakeClock caseClock;
    RecordingDownloadView caseWindow;
    NewEpisodeJob job(caseStore, caseFolder, caseClock, caseWindow, caseBoxes, caseShell, texts,
                      "http://home.example/", cancel);

    EXPECT_EQ(SelectNewEpisodes(job), 4);
    // Every link is tried, once, the last made first.
    EXPECT_EQ(Opens(caseShell.log()),
              (std::vector<std::string>{"open magnet:?xt=BS01E02", "open magnet:?xt=BS01E01",
                                        "open magnet:?xt=AS01E02", "open magnet:?xt=AS01E01"}));
    const auto shown = caseBoxes.shown();
    ASSERT_EQ(shown.size(), c.lines.empty() ? 1u : 2u);
    EXPECT_EQ(shown[0].text, kQuestionOfAll);
    if (!c.lines.empty()) {
      EXPECT_FALSE(shown[1].question);
      EXPECT_EQ(shown[1].kind, NoticeKind::Error);
      EXPECT_EQ(shown[1].caption, "Epiloom");
      EXPECT_EQ(shown[1].text,
                "These episodes did not reach a torrent client (no program opens magnet links):\n" + c.lines +
                    "Their shortcuts stay in this folder; open them once a torrent client takes magnet links:\n"
                    "C:\\Epiloom\\");
    }
    EXPECT_EQ(caseFolder.ReadFile("Epiloom.favorite"), "Alpha|/a>S01E02L\r\nBeta|/b>S01E02H\r\n");
  }
}

// Two shows whose names differ only by commas, each with a new S01E01: two
// files, both opened.
TEST_F(SelectNewEpisodesTest, CommaTwinsGetAFileEachAndBothAreOpened) {
  store.showTable = {Show("Law, Order", "/l1", "S00E00", {"S01E01"}), Show("Law Order", "/l2", "S00E00", {"S01E01"})};
  store.showTable[1].episodes[0].magnetLink = "magnet:?xt=second";
  store.lists.favoritesText = "\nLaw, Order|/l1>S00E00L\nLaw Order|/l2>S00E00L\n";
  folder.Put("BICO.ICO", "present");
  EXPECT_EQ(Run(), 2);
  EXPECT_EQ(shell.log(), (std::vector<std::string>{
                             "shortcut [2013-02-14] Law Order S01E01.lnk -> magnet:?xt=LS01E01",
                             "shortcut [2013-02-14] Law Order S01E01 (2).lnk -> magnet:?xt=second",
                             "open magnet:?xt=second",
                             "open magnet:?xt=LS01E01",
                         }));
  EXPECT_EQ(folder.ReadFile("Epiloom.favorite"), "Law, Order|/l1>S01E01L\r\nLaw Order|/l2>S01E01L\r\n");
}

TEST_F(SelectNewEpisodesTest, NoOpensNothingButKeepsTheShortcutsAndTheAdvance) {
  boxes.AnswerYes(false);
  folder.Put("BICO.ICO", "present");
  EXPECT_EQ(Run(), 4);
  EXPECT_EQ(shell.log(), kShortcutsMade);  // no export, nothing opened
  EXPECT_EQ(folder.ReadFile("Epiloom.favorite"), "Alpha|/a>S01E02L\r\nBeta|/b>S01E02H\r\n");
}

TEST_F(SelectNewEpisodesTest, NothingNewLeavesEverythingAlone) {
  store.lists.favoritesText = "\nAlpha|/a>S01E02L\nBeta|/b>S01E02H\n";
  store.showTable[0].lastWatched = "S01E02";
  store.showTable[2].lastWatched = "S01E02";
  EXPECT_EQ(Run(), kNoNewEpisode);
  EXPECT_TRUE(window.log().empty());
  EXPECT_TRUE(shell.log().empty());
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(folder.writes(), 0);
}

// Cancel points: what was made before stays, nothing is made, advanced,
// written, asked or opened after.
TEST_F(SelectNewEpisodesTest, AnAbandonedHandOffWritesNothingMore) {
  struct Case {
    const char* name;
    int cancelAtShortcut;  // 0: before the worker starts
    std::size_t shortcutsMade;
    std::string favoritesText;
  };
  const std::string before = "\nAlpha|/a>S00E00L\nBeta|/b>S01E00H\n";
  const Case cases[] = {
      {"before the start", 0, 0, before},
      {"during the first favourite", 1, 1, before},
      {"at the first favourite's last episode", 2, 2, before},
      {"during the second favourite", 3, 3, "\nAlpha|/a>S01E02L\nBeta|/b>S01E00H\n"},
      {"at the last episode", 4, 4, "\nAlpha|/a>S01E02L\nBeta|/b>S01E00H\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShowStore caseStore;
    caseStore.showTable = store.showTable;
    caseStore.lists = store.lists;
    FakeProgramFolder caseFolder{kFolder};
    RecordingShell caseShell{caseFolder};
    FakeMessageBoxes caseBoxes;
    caseBoxes.AnswerYes(true);
    FakeClock caseClock;
    RecordingDownloadView caseWindow;
    CancelToken caseCancel = MakeCancelToken();
    int made = 0;
    caseShell.onShortcut = [&] {
      if (++made == c.cancelAtShortcut) caseCancel->Raise();
    };
    if (c.cancelAtShortcut == 0) caseCancel->Raise();
    NewEpisodeJob job(caseStore, caseFolder, caseClock, caseWindow, caseBoxes, caseShell, texts,
                      "http://home.example/", caseCancel);
    EXPECT_EQ(SelectNewEpisodes(job), kHandOffAbandoned);
    std::size_t shortcuts = 0;
    for (const std::string& line : caseShell.log()) {
      EXPECT_EQ(line.rfind("open", 0), std::string::npos) << line;
      if (line.rfind("shortcut", 0) == 0) ++shortcuts;
    }
    EXPECT_EQ(shortcuts, c.shortcutsMade);
    EXPECT_EQ(caseStore.lists.favoritesText, c.favoritesText);
    EXPECT_TRUE(caseBoxes.shown().empty());
    EXPECT_FALSE(caseFolder.Exists("Epiloom.favorite"));
  }
}

// Abandoned while the links are opened (every one refused): nothing more is
// opened, and no box follows.
TEST_F(SelectNewEpisodesTest, AbandonedWhileOpeningShowsNoMoreBoxes) {
  for (const char* link : {"magnet:?xt=AS01E01", "magnet:?xt=AS01E02", "magnet:?xt=BS01E01", "magnet:?xt=BS01E02"}) {
    shell.refusedLinks.insert(link);
  }
  shell.onOpen = [&] { cancel->Raise(); };
  EXPECT_EQ(Run(), kHandOffAbandoned);
  EXPECT_EQ(Opens(shell.log()), std::vector<std::string>{"open magnet:?xt=BS01E02"});
  const auto shown = boxes.shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].question);
}

// The same on a real thread: the window abandons the worker while it makes
// its second shortcut; under ThreadSanitizer this also proves that the
// store is shared safely.
TEST_F(SelectNewEpisodesTest, AbandonedOnAnotherThread) {
  std::mutex held;
  std::condition_variable changed;
  bool inSecond = false;
  bool released = false;
  int made = 0;
  shell.onShortcut = [&] {
    if (++made != 2) return;
    std::unique_lock lock(held);
    inSecond = true;
    changed.notify_all();
    changed.wait(lock, [&] { return released; });
  };
  int result = 0;
  std::thread worker([&] { result = Run(); });
  {
    std::unique_lock lock(held);
    changed.wait(lock, [&] { return inSecond; });
  }
  {
    std::lock_guard storeLock(store.mutex);
    cancel->Raise();
  }
  {
    std::lock_guard lock(held);
    released = true;
  }
  changed.notify_all();
  worker.join();
  EXPECT_EQ(result, kHandOffAbandoned);
  std::lock_guard storeLock(store.mutex);
  EXPECT_EQ(store.lists.favoritesText, "\nAlpha|/a>S00E00L\nBeta|/b>S01E00H\n");
  EXPECT_TRUE(boxes.shown().empty());
}

}  // namespace
}  // namespace epiloom
