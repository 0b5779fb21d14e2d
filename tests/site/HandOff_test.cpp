#include "site/HandOff.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fakes/ByLabel.h"
#include "i18n/LanguageTexts.h"

namespace epiloom {
namespace {

using testing::ByLabel;

constexpr LocalDate kValentines{2013, 2, 14};

// A show of the table with its episodes (code, magnet link), sorted by code
// as the episode check leaves them.
ShowRecord Show(std::string name, std::string pagePath, std::string lastWatched,
                std::vector<std::pair<std::string, std::string>> episodes, std::int16_t quality = 0) {
  ShowRecord record;
  record.name = std::move(name);
  record.pagePath = std::move(pagePath);
  record.lastWatched = std::move(lastWatched);
  record.quality = quality;
  for (auto& [code, magnet] : episodes) record.episodes.push_back({std::move(code), std::move(magnet), 350.0f});
  return record;
}

// --- Shortcut file names --------------------------------------------------

struct NameCase {
  const char* label;
  LocalDate date;
  std::string show;
  std::string code;
  std::string fileName;
};
void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

class ShortcutFileNames : public ::testing::TestWithParam<NameCase> {};

const NameCase kNameCases[] = {
    {"Plain", kValentines, "Some Show", "S02E06", "[2013-02-14] Some Show S02E06.lnk"},
    {"MonthAndDayPadded", {2024, 3, 7}, "Some Show", "S01E01", "[2024-03-07] Some Show S01E01.lnk"},
    {"YearPadded", {987, 12, 31}, "Some Show", "S01E01", "[0987-12-31] Some Show S01E01.lnk"},
    {"CommasRemoved", kValentines, "Law, Order, Special", "S01E02", "[2013-02-14] Law Order Special S01E02.lnk"},
    {"BlanksTrimmed", kValentines, "  Some Show  ", "S01E02", "[2013-02-14] Some Show S01E02.lnk"},
    {"NameCutToItsWidth", kValentines, std::string(40, 'a') + "bcdef", "S01E02",
     "[2013-02-14] " + std::string(40, 'a') + "bc S01E02.lnk"},
    {"BackslashAndSlash", kValentines, "AC\\DC/Live", "S01E02", "[2013-02-14] AC DC Live S01E02.lnk"},
    {"ColonAndStar", kValentines, "Star Trek: Discovery*", "S01E02", "[2013-02-14] Star Trek  Discovery  S01E02.lnk"},
    {"QuestionAndQuote", kValentines, "Who \"Is\" It?", "S01E02", "[2013-02-14] Who  Is  It  S01E02.lnk"},
    {"AnglesAndBar", kValentines, "<A|B>", "S01E02", "[2013-02-14]  A B  S01E02.lnk"},
    {"ControlCharacters", kValentines,
     std::string("A\tB\x01"
                 "C\x1F"
                 "D\x7F",
                 8),
     "S01E02", std::string("[2013-02-14] A B C D\x7F S01E02.lnk")},
    {"ByteAbove127Kept", kValentines, "Caf\xE9", "S01E02", "[2013-02-14] Caf\xE9 S01E02.lnk"},
    {"CodeCleanedToo", kValentines, "Show", "S01:02", "[2013-02-14] Show S01 02.lnk"},
    {"CommaThenRefusedCharacter", kValentines, "A,?B", "S01E02", "[2013-02-14] A B S01E02.lnk"},
};

TEST_P(ShortcutFileNames, AreTheDateTheShowAndTheCode) {
  const NameCase& c = GetParam();
  EXPECT_EQ(ShortcutFileName(c.date, c.show, c.code), c.fileName);
}

INSTANTIATE_TEST_SUITE_P(HandOff, ShortcutFileNames, ::testing::ValuesIn(kNameCases), ByLabel());

TEST(HandOff, ListedNamesLoseOnlyTheirCommas) {
  EXPECT_EQ(ListedShowName(" Law, Order: SVU? "), "Law Order: SVU?");
  EXPECT_EQ(ListedShowName(",,,"), "");
}

TEST(HandOff, DescriptionNamesTheMakersHomePage) {
  EXPECT_EQ(ShortcutDescription("http://example.org/epiloom/"),
            "Torrent magnet created by Epiloom http://example.org/epiloom/");
}

// --- Plans ------------------------------------------------------------------

struct Advanced {
  int favoriteNumber;
  std::string lastWatched;
  std::string line;
  bool operator==(const Advanced&) const = default;
};
void PrintTo(const Advanced& a, std::ostream* os) {
  *os << "{" << a.favoriteNumber << ", " << a.lastWatched << ", " << a.line << "}";
}

struct PlanCase {
  const char* label;
  ShowTable table;
  std::string favorites;
  // What the plan holds.
  std::vector<std::string> fileNames;  // in the order they are made
  std::vector<std::string> magnets;
  std::string listText;
  std::vector<std::string> launched;  // file names in the order they are opened
  std::vector<Advanced> advances;
  std::string favoritesAfter;
  std::vector<std::string> lastWatchedAfter;  // of each record, once applied
};
void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.label; }

class HandOffPlans : public ::testing::TestWithParam<PlanCase> {};

const PlanCase kPlanCases[] = {
    {"TwoFavouritesTwoEpisodesEach",
     {Show("Beta", "/b", "S00E00", {{"S01E01", "magnet:?b1"}, {"S01E02", "magnet:?b2"}}),
      Show("Alpha", "/a", "S00E00", {{"S01E01", "magnet:?a1"}, {"S01E02", "magnet:?a2"}}, 1)},
     "\nAlpha|/a>S00E00H\nBeta|/b>S00E00L\n",
     {"[2013-02-14] Alpha S01E01.lnk", "[2013-02-14] Alpha S01E02.lnk", "[2013-02-14] Beta S01E01.lnk",
      "[2013-02-14] Beta S01E02.lnk"},
     {"magnet:?a1", "magnet:?a2", "magnet:?b1", "magnet:?b2"},
     "Alpha S01E01\nAlpha S01E02\nBeta S01E01\nBeta S01E02\n",
     {"[2013-02-14] Beta S01E02.lnk", "[2013-02-14] Beta S01E01.lnk", "[2013-02-14] Alpha S01E02.lnk",
      "[2013-02-14] Alpha S01E01.lnk"},
     {{1, "S01E02", "Alpha|/a>S01E02H"}, {2, "S01E02", "Beta|/b>S01E02L"}},
     "\nAlpha|/a>S01E02H\nBeta|/b>S01E02L\n",
     {"S01E02", "S01E02"}},

    {"OnlyEpisodesAfterTheLastWatchedAndMagnetsTrimmed",
     {Show("Some Show", "/s", "S01E01",
           {{"S01E01", "magnet:?old"}, {"S01E02", "  magnet:?two "}, {"S02E01", "magnet:?three  "}})},
     "\nSome Show|/s>S01E01L\n",
     {"[2013-02-14] Some Show S01E02.lnk", "[2013-02-14] Some Show S02E01.lnk"},
     {"magnet:?two", "magnet:?three"},
     "Some Show S01E02\nSome Show S02E01\n",
     {"[2013-02-14] Some Show S02E01.lnk", "[2013-02-14] Some Show S01E02.lnk"},
     {{1, "S02E01", "Some Show|/s>S02E01L"}},
     "\nSome Show|/s>S02E01L\n",
     {"S02E01"}},

    {"CommaLeavesTheNamesButNotTheFavouriteLine",
     {Show("Law, Order", "/law", "S00E00", {{"S03E04", "magnet:?law"}})},
     "\nLaw, Order|/law>S00E00L\n",
     {"[2013-02-14] Law Order S03E04.lnk"},
     {"magnet:?law"},
     "Law Order S03E04\n",
     {"[2013-02-14] Law Order S03E04.lnk"},
     {{1, "S03E04", "Law, Order|/law>S03E04L"}},
     "\nLaw, Order|/law>S03E04L\n",
     {"S03E04"}},

    {"RefusedCharactersLeaveOnlyTheFileName",
     {Show("Who? Me: \"Now\"", "/who", "S00E00", {{"S01E01", "magnet:?who"}})},
     "\nWho? Me: \"Now\"|/who>S00E00L\n",
     {"[2013-02-14] Who  Me   Now  S01E01.lnk"},
     {"magnet:?who"},
     "Who? Me: \"Now\" S01E01\n",
     {"[2013-02-14] Who  Me   Now  S01E01.lnk"},
     {{1, "S01E01", "Who? Me: \"Now\"|/who>S01E01L"}},
     "\nWho? Me: \"Now\"|/who>S01E01L\n",
     {"S01E01"}},

    {"FavouriteWithNothingNewKeepsItsLine",
     {Show("Alpha", "/a", "S01E02", {{"S01E01", "magnet:?a1"}, {"S01E02", "magnet:?a2"}}, 1),
      Show("Beta", "/b", "S00E00", {{"S01E01", "magnet:?b1"}}), Show("Gamma", "/g", "S00E00", {})},
     "\nAlpha|/a>S01E02H\nBeta|/b>S00E00L\nGamma|/g>S00E00L\n",
     {"[2013-02-14] Beta S01E01.lnk"},
     {"magnet:?b1"},
     "Beta S01E01\n",
     {"[2013-02-14] Beta S01E01.lnk"},
     {{2, "S01E01", "Beta|/b>S01E01L"}},
     "\nAlpha|/a>S01E02H\nBeta|/b>S01E01L\nGamma|/g>S00E00L\n",
     {"S01E02", "S01E01", "S00E00"}},

    // Every line equal to the favourite's line moves on with it.
    {"FavouriteListedTwiceIsHandedOverOnce",
     {Show("Alpha", "/a", "S00E00", {{"S01E01", "magnet:?a1"}, {"S01E02", "magnet:?a2"}})},
     "\nAlpha|/a>S00E00L\nAlpha|/a>S00E00L\n",
     {"[2013-02-14] Alpha S01E01.lnk", "[2013-02-14] Alpha S01E02.lnk"},
     {"magnet:?a1", "magnet:?a2"},
     "Alpha S01E01\nAlpha S01E02\n",
     {"[2013-02-14] Alpha S01E02.lnk", "[2013-02-14] Alpha S01E01.lnk"},
     {{1, "S01E02", "Alpha|/a>S01E02L"}},
     "\nAlpha|/a>S01E02L\nAlpha|/a>S01E02L\n",
     {"S01E02"}},

    // The record took its settings from the first line, which is the one
    // handed over and rebuilt; the second line, edited by hand, stays.
    {"FavouriteListedTwiceWithDifferentLines",
     {Show("Alpha", "/a", "S01E01", {{"S01E01", "magnet:?a1"}, {"S01E02", "magnet:?a2"}, {"S01E03", "magnet:?a3"}})},
     "\nAlpha|/a>S01E01L\nBeta|/b>S00E00L\nAlpha|/a>S01E02H\n",
     {"[2013-02-14] Alpha S01E02.lnk", "[2013-02-14] Alpha S01E03.lnk"},
     {"magnet:?a2", "magnet:?a3"},
     "Alpha S01E02\nAlpha S01E03\n",
     {"[2013-02-14] Alpha S01E03.lnk", "[2013-02-14] Alpha S01E02.lnk"},
     {{1, "S01E03", "Alpha|/a>S01E03L"}},
     "\nAlpha|/a>S01E03L\nBeta|/b>S00E00L\nAlpha|/a>S01E02H\n",
     {"S01E03"}},

    {"NothingNewPlansNothing",
     {Show("Alpha", "/a", "S01E02", {{"S01E01", "magnet:?a1"}, {"S01E02", "magnet:?a2"}})},
     "\nAlpha|/a>S01E02L\n",
     {},
     {},
     "",
     {},
     {},
     "\nAlpha|/a>S01E02L\n",
     {"S01E02"}},
};

TEST_P(HandOffPlans, ShortcutsListLaunchOrderAndAdvances) {
  const PlanCase& c = GetParam();
  const HandOffPlan plan = PlanHandOff(ChooseNewEpisodes(c.table, c.favorites), c.table, c.favorites, kValentines);

  std::vector<std::string> fileNames;
  std::vector<std::string> magnets;
  for (const PlannedShortcut& shortcut : plan.shortcuts) {
    fileNames.push_back(shortcut.fileName);
    magnets.push_back(shortcut.magnetLink);
    // The label names the show as the table does, commas and all.
    EXPECT_EQ(ProgressLabel(shortcut), c.table[shortcut.showIndex].name + " " + shortcut.episodeCode);
  }
  EXPECT_EQ(plan.total, static_cast<int>(c.fileNames.size()));
  EXPECT_EQ(fileNames, c.fileNames);
  EXPECT_EQ(magnets, c.magnets);
  EXPECT_EQ(plan.listText, c.listText);

  std::vector<std::string> launched;
  for (const std::size_t index : plan.launchOrder) {
    ASSERT_LT(index, plan.shortcuts.size());
    launched.push_back(plan.shortcuts[index].fileName);
  }
  EXPECT_EQ(launched, c.launched);

  std::vector<Advanced> advances;
  for (const FavoriteAdvance& advance : plan.advances) {
    advances.push_back({advance.favoriteNumber, advance.lastWatched, advance.favoriteLine});
  }
  EXPECT_EQ(advances, c.advances);
  EXPECT_EQ(plan.favoritesText, c.favoritesAfter);
}

TEST_P(HandOffPlans, AppliedToTheStoreGiveThePlannedTexts) {
  const PlanCase& c = GetParam();
  ShowTable table = c.table;
  UserLists lists;
  lists.favoritesText = c.favorites;
  lists.blacklistText = "\nHidden\n";
  const HandOffPlan plan =
      PlanHandOff(ChooseNewEpisodes(table, lists.favoritesText), table, lists.favoritesText, kValentines);

  ApplyHandOff(plan, table, lists);

  EXPECT_EQ(lists.favoritesText, c.favoritesAfter);
  EXPECT_EQ(lists.blacklistText, "\nHidden\n");
  std::vector<std::string> lastWatched;
  for (const ShowRecord& record : table) lastWatched.push_back(record.lastWatched);
  EXPECT_EQ(lastWatched, c.lastWatchedAfter);
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].episodes.size(), c.table[i].episodes.size()) << table[i].name;
  }
}

INSTANTIATE_TEST_SUITE_P(HandOff, HandOffPlans, ::testing::ValuesIn(kPlanCases), ByLabel());

TEST(HandOff, AChoiceEntryWhoseShowIsNotInTheTableIsLeftOut) {
  const ShowTable table{Show("Alpha", "/a", "S00E00", {{"S01E01", "magnet:?a1"}})};
  NewEpisodeChoice choice;
  choice.total = 2;
  choice.shows.push_back({1, 5, {{"S01E01", "magnet:?x", 1.0f}}});
  choice.shows.push_back({2, 0, {{"S01E01", "magnet:?a1", 1.0f}}});
  const std::string favorites = "\nGone|/g>S00E00L\nAlpha|/a>S00E00L\n";

  const HandOffPlan plan = PlanHandOff(choice, table, favorites, kValentines);

  ASSERT_EQ(plan.total, 1);
  EXPECT_EQ(plan.shortcuts[0].magnetLink, "magnet:?a1");
  ASSERT_EQ(plan.advances.size(), 1u);
  EXPECT_EQ(plan.advances[0].favoriteNumber, 2);
  EXPECT_EQ(plan.favoritesText, "\nGone|/g>S00E00L\nAlpha|/a>S01E01L\n");
}

// --- The question -----------------------------------------------------------------

TEST(HandOff, QuestionListsTheEpisodesAndTheFolder) {
  const ShowTable table{Show("Law, Order", "/law", "S00E00", {{"S01E01", "magnet:?1"}, {"S01E02", "magnet:?2"}})};
  const std::string favorites = "\nLaw, Order|/law>S00E00L\n";
  const HandOffPlan plan = PlanHandOff(ChooseNewEpisodes(table, favorites), table, favorites, kValentines);
  LanguageTexts texts;
  texts.Set(TextKey::LaunchTorrent1, "Start these");
  texts.Set(TextKey::LaunchTorrent2, "episodes?");
  texts.Set(TextKey::LaunchTorrent3, "(the shortcuts stay");
  texts.Set(TextKey::LaunchTorrent4, "in the folder:");

  EXPECT_EQ(HandOffQuestion(texts, plan, "C:\\Shows\\"),
            "Start these 2 episodes?\n"
            "Law Order S01E01\n"
            "Law Order S01E02\n"
            "\n"
            "(the shortcuts stay\n"
            "in the folder:\n"
            "C:\\Shows\\)");
}

}  // namespace
}  // namespace epiloom
