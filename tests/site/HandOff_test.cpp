#include "site/HandOff.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fakes/ByLabel.h"
#include "i18n/LanguageTexts.h"
#include "store/UserLists.h"

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

    // Two shows whose names differ only by commas, or only in letter case
    // (Windows's file names ignore it), with a new episode of the same code:
    // each gets a file of its own, the later ones numbered.
    {"NamesThatWouldShareAFileGetNumbers",
     {Show("Law, Order", "/lo1", "S00E00", {{"S01E01", "magnet:?lo1"}}),
      Show("Law Order", "/lo2", "S00E00", {{"S01E01", "magnet:?lo2"}, {"S01E02", "magnet:?lo2b"}}),
      Show("LAW ORDER", "/lo3", "S00E00", {{"S01E01", "magnet:?lo3"}})},
     "\nLaw, Order|/lo1>S00E00L\nLaw Order|/lo2>S00E00L\nLAW ORDER|/lo3>S00E00L\n",
     {"[2013-02-14] Law Order S01E01.lnk", "[2013-02-14] Law Order S01E01 (2).lnk", "[2013-02-14] Law Order S01E02.lnk",
      "[2013-02-14] LAW ORDER S01E01 (3).lnk"},
     {"magnet:?lo1", "magnet:?lo2", "magnet:?lo2b", "magnet:?lo3"},
     "Law Order S01E01\nLaw Order S01E01\nLaw Order S01E02\nLAW ORDER S01E01\n",
     {"[2013-02-14] LAW ORDER S01E01 (3).lnk", "[2013-02-14] Law Order S01E02.lnk",
      "[2013-02-14] Law Order S01E01 (2).lnk", "[2013-02-14] Law Order S01E01.lnk"},
     {{1, "S01E01", "Law, Order|/lo1>S01E01L"},
      {2, "S01E02", "Law Order|/lo2>S01E02L"},
      {3, "S01E01", "LAW ORDER|/lo3>S01E01L"}},
     "\nLaw, Order|/lo1>S01E01L\nLaw Order|/lo2>S01E02L\nLAW ORDER|/lo3>S01E01L\n",
     {"S01E01", "S01E02", "S01E01"}},

    // Refused characters become blanks: "Who?" and "Who*" share a name too.
    {"RefusedCharactersThatWouldShareAFile",
     {Show("Who?", "/w1", "S00E00", {{"S01E01", "magnet:?w1"}}),
      Show("Who*", "/w2", "S00E00", {{"S01E01", "magnet:?w2"}})},
     "\nWho?|/w1>S00E00L\nWho*|/w2>S00E00L\n",
     {"[2013-02-14] Who  S01E01.lnk", "[2013-02-14] Who  S01E01 (2).lnk"},
     {"magnet:?w1", "magnet:?w2"},
     "Who? S01E01\nWho* S01E01\n",
     {"[2013-02-14] Who  S01E01 (2).lnk", "[2013-02-14] Who  S01E01.lnk"},
     {{1, "S01E01", "Who?|/w1>S01E01L"}, {2, "S01E01", "Who*|/w2>S01E01L"}},
     "\nWho?|/w1>S01E01L\nWho*|/w2>S01E01L\n",
     {"S01E01", "S01E01"}},

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
  std::size_t end = 0;
  for (const FavoriteAdvance& advance : plan.advances) {
    advances.push_back({advance.favoriteNumber, advance.lastWatched, advance.favoriteLine});
    // Each favourite's shortcuts follow the previous favourite's, all of its
    // show, the newest last.
    EXPECT_EQ(advance.shortcutsBegin, end);
    ASSERT_LT(advance.shortcutsBegin, advance.shortcutsEnd);
    ASSERT_LE(advance.shortcutsEnd, plan.shortcuts.size());
    for (std::size_t i = advance.shortcutsBegin; i < advance.shortcutsEnd; ++i) {
      EXPECT_EQ(plan.shortcuts[i].showIndex, advance.showIndex);
    }
    EXPECT_EQ(plan.shortcuts[advance.shortcutsEnd - 1].episodeCode, advance.lastWatched);
    end = advance.shortcutsEnd;
  }
  EXPECT_EQ(end, plan.shortcuts.size());
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

// --- What was written, and what the user is told -----------------------------

const ShortcutOutcome kWritten{ShortcutFate::Written, ""};
const ShortcutOutcome kWithheld{ShortcutFate::Withheld, ""};
ShortcutOutcome Failed(std::string why) { return {ShortcutFate::Failed, std::move(why)}; }

// Alpha (favourite 1, 720p) with three new episodes, then Beta (favourite 2)
// with one.
class HandOffOutcomesTest : public ::testing::Test {
 protected:
  HandOffOutcomesTest() {
    texts.Set(TextKey::LaunchTorrent1, "Start these");
    texts.Set(TextKey::LaunchTorrent2, "episodes?");
    texts.Set(TextKey::LaunchTorrent3, "(the shortcuts stay");
    texts.Set(TextKey::LaunchTorrent4, "in the folder:");
    texts.Set(TextKey::ShortcutProblem1, "Not saved:");
    texts.Set(TextKey::ShortcutProblem2, "Offered again.");
    texts.Set(TextKey::LaunchProblem1, "No client took:");
    texts.Set(TextKey::LaunchProblem2, "Their shortcuts are in:");
  }

  const ShowTable table{
      Show("Alpha, The", "/a", "S01E01",
           {{"S01E01", "magnet:?a1"}, {"S01E02", "magnet:?a2"}, {"S01E03", "magnet:?a3"}, {"S02E01", "magnet:?a4"}}, 1),
      Show("Beta", "/b", "S00E00", {{"S01E01", "magnet:?b1"}})};
  const std::string favorites = "\nAlpha, The|/a>S01E01H\nBeta|/b>S00E00L\n";
  const HandOffPlan plan = PlanHandOff(ChooseNewEpisodes(table, favorites), table, favorites, kValentines);
  LanguageTexts texts;
};

TEST_F(HandOffOutcomesTest, AFavouriteAdvancesToItsNewestEpisodeBeforeTheFirstNotWritten) {
  struct Case {
    const char* label;
    std::vector<ShortcutOutcome> alpha;  // its three shortcuts, oldest first
    std::optional<std::string> lastWatched;
    std::string line;
  };
  const Case cases[] = {
      {"all written", {kWritten, kWritten, kWritten}, "S02E01", "Alpha, The|/a>S02E01H"},
      {"the newest failed", {kWritten, kWritten, Failed("disk full")}, "S01E03", "Alpha, The|/a>S01E03H"},
      {"the middle one failed", {kWritten, Failed("disk full"), kWithheld}, "S01E02", "Alpha, The|/a>S01E02H"},
      {"the oldest failed", {Failed("disk full"), kWithheld, kWithheld}, std::nullopt, ""},
      // Only the order counts: a later shortcut written after a failure (not
      // what the worker does) does not move the favourite past it.
      {"written after a failure", {kWritten, Failed("held"), kWritten}, "S01E02", "Alpha, The|/a>S01E02H"},
      {"none tried", {kWithheld, kWithheld, kWithheld}, std::nullopt, ""},
  };
  ASSERT_EQ(plan.advances.size(), 2u);
  ASSERT_EQ(plan.shortcuts.size(), 4u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    HandOffOutcomes outcomes = c.alpha;
    outcomes.push_back(kWritten);  // Beta's
    const auto alpha = WrittenAdvance(plan, plan.advances[0], outcomes, table);
    ASSERT_EQ(alpha.has_value(), c.lastWatched.has_value());
    if (alpha) {
      EXPECT_EQ(alpha->lastWatched, *c.lastWatched);
      EXPECT_EQ(alpha->favoriteLine, c.line);
      EXPECT_EQ(alpha->favoriteNumber, 1);
      EXPECT_EQ(alpha->showIndex, 0u);
      // Made in the store, it gives the line it names.
      ShowTable applied = table;
      UserLists lists;
      lists.favoritesText = favorites;
      ApplyFavoriteAdvance(*alpha, applied, lists);
      EXPECT_EQ(applied[0].lastWatched, *c.lastWatched);
      EXPECT_EQ(lists.favoritesText, "\n" + c.line + "\nBeta|/b>S00E00L\n");
    }
    // Beta's own shortcut alone decides for Beta.
    const auto beta = WrittenAdvance(plan, plan.advances[1], outcomes, table);
    ASSERT_TRUE(beta.has_value());
    EXPECT_EQ(beta->lastWatched, "S01E01");
    EXPECT_EQ(beta->favoriteLine, "Beta|/b>S01E01L");
  }
}

TEST_F(HandOffOutcomesTest, AFavouriteWhoseRecordIsGoneDoesNotAdvance) {
  const HandOffOutcomes all(plan.shortcuts.size(), kWritten);
  EXPECT_FALSE(WrittenAdvance(plan, plan.advances[1], all, ShowTable{table[0]}).has_value());
}

TEST_F(HandOffOutcomesTest, QuestionListsTheWrittenEpisodesAndTheFolder) {
  const HandOffOutcomes all(plan.shortcuts.size(), kWritten);
  EXPECT_EQ(ShortcutProblemText(texts, plan, all), "");
  EXPECT_EQ(HandOffQuestion(texts, plan, all, "C:\\Shows\\"),
            "Start these 4 episodes?\n"
            "Alpha The S01E02\n"
            "Alpha The S01E03\n"
            "Alpha The S02E01\n"
            "Beta S01E01\n"
            "\n"
            "(the shortcuts stay\n"
            "in the folder:\n"
            "C:\\Shows\\)");
}

TEST_F(HandOffOutcomesTest, QuestionNamesTheEpisodesNotWrittenAndWhy) {
  const HandOffOutcomes outcomes = {kWritten, Failed("a folder of that name is in the way"), kWithheld, kWritten};
  const std::string problems =
      "Not saved:\n"
      "Alpha The S01E03 (a folder of that name is in the way)\n"
      "Alpha The S02E01\n"
      "Offered again.";
  EXPECT_EQ(ShortcutProblemText(texts, plan, outcomes), problems);
  EXPECT_EQ(HandOffQuestion(texts, plan, outcomes, "C:\\Shows\\"),
            "Start these 2 episodes?\n"
            "Alpha The S01E02\n"
            "Beta S01E01\n"
            "\n" +
                problems +
                "\n"
                "\n"
                "(the shortcuts stay\n"
                "in the folder:\n"
                "C:\\Shows\\)");
}

TEST_F(HandOffOutcomesTest, NothingWrittenNamesEveryEpisode) {
  const HandOffOutcomes outcomes = {Failed("Access denied"), kWithheld, kWithheld, Failed("")};
  EXPECT_EQ(ShortcutProblemText(texts, plan, outcomes),
            "Not saved:\n"
            "Alpha The S01E02 (Access denied)\n"
            "Alpha The S01E03\n"
            "Alpha The S02E01\n"
            "Beta S01E01\n"
            "Offered again.");
}

TEST_F(HandOffOutcomesTest, LaunchProblemListsTheEpisodesInTheOrderMadeAndTheFolder) {
  // Opened last made first: the failures come in that order.
  EXPECT_EQ(LaunchProblemText(texts, plan, {3, 1, 0}, "C:\\Shows\\"),
            "No client took:\n"
            "Alpha The S01E02\n"
            "Alpha The S01E03\n"
            "Beta S01E01\n"
            "Their shortcuts are in:\n"
            "C:\\Shows\\");
}

}  // namespace
}  // namespace epiloom
