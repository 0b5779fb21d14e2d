#include "store/Counters.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/MainWindowIds.h"
#include "fakes/Fakes.h"

namespace epiloom {
namespace {

using testing::FakeMessageBoxes;
using testing::RecordingWindow;

TEST(SettingsButtonText, ComposesCountsFromTheTexts) {
  LanguageTexts texts;
  struct Case {
    int favorites;
    int unwatched;
    std::string text;
  };
  const Case cases[] = {
      {0, 0, "Settings for\nmy TV Shows"},
      {0, 3, "Settings for\nmy TV Shows"},
      {1, 0, "Settings for\nmy 1 TV Shows"},
      {12, 3, "Settings for\nmy 12 TV Shows\n(including 3 new)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SettingsButtonText(texts, c.favorites, c.unwatched), c.text);
  }
  texts.Set(TextKey::Param2, "P");
  texts.Set(TextKey::My, "M");
  texts.Set(TextKey::TVShows, "T");
  texts.Set(TextKey::Inc, "I");
  texts.Set(TextKey::New, "N");
  EXPECT_EQ(SettingsButtonText(texts, 2, 1), "P\nM 2 T\nI 1 N");
}

TEST(BlacklistLabelText, EmptyWithoutBlacklistedShows) {
  const LanguageTexts texts;
  EXPECT_EQ(BlacklistLabelText(texts, 0), "");
  EXPECT_EQ(BlacklistLabelText(texts, 2), "Filtering on: 2 blacklisted TV Shows. Click here to manage");
}

class RefreshCountersTest : public ::testing::Test {
 protected:
  void Refresh() { RefreshCounters(store, window, texts); }

  ShowStore store;
  RecordingWindow window;
  LanguageTexts texts;
};

TEST_F(RefreshCountersTest, FirstCallWritesEverything) {
  window.ListAppend(ids::kShowList, "A");
  window.ListAppend(ids::kShowList, "B");
  store.lists = {"\nA|/a>S00E00L\nB|/b>S01E01H\n", "\nX\nY\nZ\n", "\n"};
  Refresh();
  EXPECT_EQ(window.Text(ids::kStatusLine), "2 Kestrix Shows available:");
  EXPECT_EQ(window.Text(ids::kSettingsButton), "Settings for\nmy 2 TV Shows\n(including 1 new)");
  EXPECT_TRUE(window.Enabled(ids::kSettingsButton));
  EXPECT_TRUE(window.Enabled(ids::kDownloadButton));
  EXPECT_EQ(window.Text(ids::kBlacklistLabel), "Filtering on: 3 blacklisted TV Shows. Click here to manage");
  EXPECT_TRUE(window.Enabled(ids::kBlacklistLabel));
  EXPECT_EQ(store.shownCounts.listedShows, 2);
  EXPECT_EQ(store.shownCounts.favorites, 2);
  EXPECT_EQ(store.shownCounts.unwatchedFavorites, 1);
  EXPECT_EQ(store.shownCounts.blacklisted, 3);
}

TEST_F(RefreshCountersTest, NothingListedDisablesTheButtons) {
  store.lists = {"\n", "\n", "\n"};
  Refresh();
  EXPECT_EQ(window.Text(ids::kStatusLine), "0 Kestrix Shows available:");
  EXPECT_EQ(window.Text(ids::kSettingsButton), "Settings for\nmy TV Shows");
  EXPECT_FALSE(window.Enabled(ids::kSettingsButton));
  EXPECT_FALSE(window.Enabled(ids::kDownloadButton));
  EXPECT_EQ(window.Text(ids::kBlacklistLabel), "");
  EXPECT_FALSE(window.Enabled(ids::kBlacklistLabel));
}

TEST_F(RefreshCountersTest, WritesOnlyTheCountsThatChanged) {
  store.lists = {"\nA|/a>S00E00L\n", "\nX\n", "\n"};
  window.ListAppend(ids::kShowList, "A");
  Refresh();
  const auto writesOf = [this] {
    return std::vector<int>{window.TextWrites(ids::kStatusLine), window.TextWrites(ids::kSettingsButton),
                            window.TextWrites(ids::kBlacklistLabel)};
  };
  EXPECT_EQ(writesOf(), (std::vector<int>{1, 1, 1}));

  struct Step {
    const char* label;
    std::function<void()> change;
    std::vector<int> writes;  // status line, settings button, blacklist label
  };
  const Step steps[] = {
      {"Unchanged", [] {}, {1, 1, 1}},
      {"ShowListed", [this] { window.ListAppend(ids::kShowList, "B"); }, {2, 1, 1}},
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
  EXPECT_EQ(window.Text(ids::kBlacklistLabel), "");
  EXPECT_FALSE(window.Enabled(ids::kBlacklistLabel));
}

TEST_F(RefreshCountersTest, RaisedCancelFlagLeavesCountsAlone) {
  store.lists = {"\nA|/a>S00E00L\n", "\nX\n", "\n"};
  CancelFlag cancel;
  cancel.Raise();
  RefreshCounters(store, window, texts, &cancel);
  EXPECT_EQ(store.shownCounts.favorites, -1);
  EXPECT_FALSE(window.HasText(ids::kSettingsButton));
  EXPECT_FALSE(window.HasText(ids::kStatusLine));
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
  EXPECT_EQ(window.Text(ids::kSettingsButton), "Settings for\nmy 1 TV Shows\n(including 1 new)");
}

TEST_F(PruneTest, NothingMissingShowsNothing) {
  for (const std::string missing : {"\n", ""}) {
    SCOPED_TRACE(missing);
    store.lists = {"\nA|/a>S00E00L\n", "\n", missing};
    Prune();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(store.lists.favoritesText, "\nA|/a>S00E00L\n");
    EXPECT_FALSE(window.HasText(ids::kSettingsButton));
  }
}

}  // namespace
}  // namespace epiloom
