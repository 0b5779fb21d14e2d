#include "store/Counters.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/Fakes.h"
#include "i18n/MainWindowTexts.h"

namespace epiloom {
namespace {

using testing::FakeMessageBoxes;
using testing::Element;
using testing::RecordingShowListView;

class RefreshCountersTest : public ::testing::Test {
 protected:
  void Refresh() { RefreshCounters(store, window, texts); }

  ShowStore store;
  RecordingShowListView window;
  LanguageTexts texts;
};

TEST_F(RefreshCountersTest, FirstCallWritesEverything) {
  window.AppendShow("A", false);
  window.AppendShow("B", false);
  store.lists = {"\nA|/a>S00E00L\nB|/b>S01E01H\n", "\nX\nY\nZ\n", "\n"};
  Refresh();
  EXPECT_EQ(window.Text(Element::StatusLine), "2 Kestrix Shows available:");
  EXPECT_EQ(window.Text(Element::SettingsButton), "Settings for\nmy 2 TV Shows\n(including 1 new)");
  EXPECT_TRUE(window.Enabled(Element::SettingsButton));
  EXPECT_TRUE(window.Enabled(Element::DownloadButton));
  EXPECT_EQ(window.Text(Element::BlacklistLabel), "Filtering on: 3 blacklisted TV Shows. Click here to manage");
  EXPECT_TRUE(window.Enabled(Element::BlacklistLabel));
  EXPECT_EQ(store.shownCounts.listedShows, 2);
  EXPECT_EQ(store.shownCounts.favorites, 2);
  EXPECT_EQ(store.shownCounts.unwatchedFavorites, 1);
  EXPECT_EQ(store.shownCounts.blacklisted, 3);
}

TEST_F(RefreshCountersTest, NothingListedDisablesTheButtons) {
  store.lists = {"\n", "\n", "\n"};
  Refresh();
  EXPECT_EQ(window.Text(Element::StatusLine), "0 Kestrix Shows available:");
  EXPECT_EQ(window.Text(Element::SettingsButton), "Settings for\nmy TV Shows");
  EXPECT_FALSE(window.Enabled(Element::SettingsButton));
  EXPECT_FALSE(window.Enabled(Element::DownloadButton));
  EXPECT_EQ(window.Text(Element::BlacklistLabel), "");
  EXPECT_FALSE(window.Enabled(Element::BlacklistLabel));
}

TEST_F(RefreshCountersTest, WritesOnlyTheCountsThatChanged) {
  store.lists = {"\nA|/a>S00E00L\n", "\nX\n", "\n"};
  window.AppendShow("A", false);
  Refresh();
  const auto writesOf = [this] {
    return std::vector<int>{window.TextWrites(Element::StatusLine), window.TextWrites(Element::SettingsButton),
                            window.TextWrites(Element::BlacklistLabel)};
  };
  EXPECT_EQ(writesOf(), (std::vector<int>{1, 1, 1}));

  struct Step {
    const char* label;
    std::function<void()> change;
    std::vector<int> writes;  // status line, settings button, blacklist label
  };
  const Step steps[] = {
      {"Unchanged", [] {}, {1, 1, 1}},
      {"ShowListed", [this] { window.AppendShow("B", false); }, {2, 1, 1}},
      {"FavoriteAdded", [this] { store.lists.favoritesText += "B|/b>S01E01H\n"; }, {2, 2, 1}},
      {"LastWatchedMoved", [this] { store.lists.favoritesText = "\nA|/a>S01E03L\nB|/b>S01E01H\n"; }, {2, 3, 1}},
      {"SameCountsOtherText", [this] { store.lists.favoritesText = "\nC|/c>S01E03L\nD|/d>S01E01H\n"; }, {2, 3, 1}},
      {"Blacklisted", [this] { store.lists.blacklistText += "Y\n"; }, {2, 3, 2}},
      {"AllPutBack", [this] { store.lists.blacklistText.resize(1); }, {2, 3, 3}},  // just the LF
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    step.change();
    Refresh();
    EXPECT_EQ(writesOf(), step.writes);
  }
  EXPECT_EQ(window.Text(Element::BlacklistLabel), "");
  EXPECT_FALSE(window.Enabled(Element::BlacklistLabel));
}

// A language switched while the show list loads: the worker's last refresh
// still used the old texts, the window's refresh with the new ones must
// rewrite every count text although no count changed.
TEST_F(RefreshCountersTest, NewLanguageReachesUnchangedCounts) {
  store.lists = {"\nA|/a>S00E00L\n", "\nX\n", "\n"};
  window.AppendShow("A", false);
  Refresh();
  LanguageTexts french;
  french.Set(TextKey::Available, "emissions");
  french.Set(TextKey::My, "mes");
  french.Set(TextKey::Filtering1, "Filtre:");
  RefreshCounters(store, window, french);
  EXPECT_EQ(window.Text(Element::StatusLine), "1 emissions");
  EXPECT_EQ(window.Text(Element::SettingsButton), "Settings for\nmes 1 TV Shows\n(including 1 new)");
  EXPECT_EQ(window.Text(Element::BlacklistLabel), "Filtre: 1 blacklisted TV Shows. Click here to manage");
  // Nothing changed since: nothing is written again.
  const auto log = window.log();
  RefreshCounters(store, window, french);
  EXPECT_EQ(window.log(), log);
}

TEST_F(RefreshCountersTest, MainWindowTextsInANewLanguage) {
  struct Case {
    const char* name;
    int listed;
    int phase;
    std::string favorites;
    std::string status;
    std::string settings;
    std::string blacklistLabel;  // empty: never written
  };
  const Case cases[] = {
      {"no connection", 0, kNoConnection, "\nA|/a>S01E01L\n", "Impossible to connect to Kestrix",
       "Settings for\nmy TV Shows", ""},
      {"listed, all watched", 2, kGettingShowList, "\nA|/a>S01E01L\nB|/b>S02E03H\n", "2 Kestrix Shows available:",
       "Settings for\nmy 2 TV Shows", "Filtering on: 1 blacklisted TV Shows. Click here to manage"},
      {"listed, some new", 3, kGettingShowList, "\nA|/a>S00E00L\nB|/b>S02E03H\nC|/c>S00E00H\n",
       "3 Kestrix Shows available:", "Settings for\nmy 3 TV Shows\n(including 2 new)",
       "Filtering on: 1 blacklisted TV Shows. Click here to manage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShowStore caseStore;
    RecordingShowListView caseWindow;
    caseStore.lists = {c.favorites, "\nX\n", "\n"};
    for (int i = 0; i < c.listed; ++i) caseWindow.AppendShow("S" + std::to_string(i), false);
    ApplyMainWindowTexts(caseStore, caseWindow, texts, c.phase);
    EXPECT_EQ(caseWindow.Text(Element::StatusLine), c.status);
    EXPECT_EQ(caseWindow.Text(Element::SettingsButton), c.settings);
    EXPECT_EQ(caseWindow.Text(Element::DownloadButton), "Download\nnewest\nepisodes !");
    EXPECT_EQ(caseWindow.Text(Element::BlacklistLabel), c.blacklistLabel);
  }
}

TEST_F(RefreshCountersTest, RaisedCancelFlagLeavesCountsAlone) {
  store.lists = {"\nA|/a>S00E00L\n", "\nX\n", "\n"};
  CancelFlag cancel;
  cancel.Raise();
  RefreshCounters(store, window, texts, &cancel);
  EXPECT_EQ(store.shownCounts.favorites, -1);
  EXPECT_FALSE(window.HasText(Element::SettingsButton));
  EXPECT_FALSE(window.HasText(Element::StatusLine));
}

class PruneTest : public RefreshCountersTest {
 protected:
  void Prune() { PruneMissingFavorites(store, boxes, window, texts); }
  FakeMessageBoxes boxes;
};

TEST_F(PruneTest, WarnsThenRemovesExactlyTheMissingNames) {
  texts.Set(TextKey::NotOnKestrix3, "  Missing TV Shows  ");
  store.lists = {"\nLost|/shows/1/lost>S01E02H\nThe Lost Room|/shows/2/room>S00E00L\nGone|/g>S00E00L\n", "\n",
                 "\nLost\nGone\n"};
  Prune();
  const auto shown = boxes.shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Missing TV Shows");
  EXPECT_EQ(shown[0].text,
            "Beware! The following TV Shows are no longer referenced on Kestrix:\nLost\nGone\n\n"
            "They will be removed from your list of favorite shows");
  EXPECT_EQ(shown[0].kind, NoticeKind::Exclamation);
  EXPECT_FALSE(shown[0].question);
  EXPECT_EQ(store.lists.favoritesText, "\nThe Lost Room|/shows/2/room>S00E00L\n");
  // Counters were refreshed after the removal.
  EXPECT_EQ(window.Text(Element::SettingsButton), "Settings for\nmy 1 TV Shows\n(including 1 new)");
}

TEST_F(PruneTest, NothingMissingShowsNothing) {
  for (const std::string missing : {"\n", ""}) {
    SCOPED_TRACE(missing);
    store.lists = {"\nA|/a>S00E00L\n", "\n", missing};
    Prune();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(store.lists.favoritesText, "\nA|/a>S00E00L\n");
    EXPECT_FALSE(window.HasText(Element::SettingsButton));
  }
}

}  // namespace
}  // namespace epiloom
