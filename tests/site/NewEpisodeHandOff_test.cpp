#include "site/NewEpisodeHandOff.h"

#include <gtest/gtest.h>

#include <functional>
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
  void CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& workingFolder,
                      const std::string& iconFile, const std::string& description) override {
    Log("shortcut " + linkFile.substr(workingFolder.size()) + " -> " + target);
    EXPECT_EQ(workingFolder, kFolder);
    EXPECT_EQ(iconFile, std::string(kFolder) + "BICO.ICO");
    EXPECT_EQ(description, "Torrent magnet created by Epiloom http://home.example/");
    if (onShortcut) onShortcut();
  }
  bool Open(const std::string& target) override {
    Log("open " + (target.rfind(kFolder, 0) == 0 ? target.substr(sizeof kFolder - 1) : target));
    const bool isShortcut = target.size() > 4 && target.compare(target.size() - 4, 4, ".lnk") == 0;
    return isShortcut ? shortcutsOpen : true;
  }

  std::vector<std::string> log() const {
    std::lock_guard lock(mutex_);
    return log_;
  }

  bool shortcutsOpen = true;  // false: the shell does not follow shortcuts (Wine)
  std::function<void()> onShortcut;

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

TEST_F(SelectNewEpisodesTest, HandsEveryNewEpisodeOverInOrderAndOpensTheLastMadeFirst) {
  EXPECT_EQ(Run(), 4);
  EXPECT_EQ(window.log(), (std::vector<std::string>{"range 4", "step", "label Alpha S01E01", "step",
                                                    "label Alpha S01E02", "step", "label Beta S01E01", "step",
                                                    "label Beta S01E02"}));
  std::vector<std::string> expected = {"export"};
  expected.insert(expected.end(), kShortcutsMade.begin(), kShortcutsMade.end());
  for (const char* opened : {"Beta S01E02", "Beta S01E01", "Alpha S01E02", "Alpha S01E01"}) {
    expected.push_back(std::string("open [2013-02-14] ") + opened + ".lnk");
  }
  EXPECT_EQ(shell.log(), expected);
  EXPECT_EQ(clock.sleeps(), (std::vector<int>{400, 400, 400, 400}));

  const auto shown = boxes.shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].question);
  EXPECT_EQ(shown[0].caption, "Epiloom");
  EXPECT_EQ(shown[0].text.substr(shown[0].text.find(" 4 ") - 1, 3), "e 4");
  EXPECT_NE(shown[0].text.find("\nAlpha S01E01\nAlpha S01E02\nBeta S01E01\nBeta S01E02\n\n"), std::string::npos);
  EXPECT_EQ(shown[0].text.substr(shown[0].text.size() - sizeof kFolder), std::string(kFolder) + ")");

  // Advanced in memory and written at once.
  const std::string advanced = "\nAlpha|/a>S01E02L\nBeta|/b>S01E02H\n";
  EXPECT_EQ(store.lists.favoritesText, advanced);
  EXPECT_EQ(store.showTable[0].lastWatched, "S01E02");
  EXPECT_EQ(store.showTable[2].lastWatched, "S01E02");
  EXPECT_EQ(folder.ReadFile("Epiloom.favorite"), "Alpha|/a>S01E02L\r\nBeta|/b>S01E02H\r\n");
}

TEST_F(SelectNewEpisodesTest, WhereTheShellDoesNotFollowShortcutsTheLinksAreOpenedThemselves) {
  shell.shortcutsOpen = false;
  EXPECT_EQ(Run(), 4);
  std::vector<std::string> opens;
  for (const std::string& line : shell.log()) {
    if (line.rfind("open ", 0) == 0) opens.push_back(line);
  }
  EXPECT_EQ(opens, (std::vector<std::string>{
                       "open [2013-02-14] Beta S01E02.lnk", "open magnet:?xt=BS01E02",
                       "open [2013-02-14] Beta S01E01.lnk", "open magnet:?xt=BS01E01",
                       "open [2013-02-14] Alpha S01E02.lnk", "open magnet:?xt=AS01E02",
                       "open [2013-02-14] Alpha S01E01.lnk", "open magnet:?xt=AS01E01"}));
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
