#include "store/FavoriteSettings.h"

#include <gtest/gtest.h>

#include "fakes/ByLabel.h"
#include "store/UserLists.h"

namespace epiloom {
namespace {

using testing::ByLabel;

ShowRecord Show(std::string name, std::string pagePath, std::string lastWatched, std::int16_t quality,
                std::vector<std::string> codes = {}) {
  ShowRecord record;
  record.name = std::move(name);
  record.pagePath = std::move(pagePath);
  record.lastWatched = std::move(lastWatched);
  record.quality = quality;
  for (std::string& code : codes) record.episodes.push_back({std::move(code), "magnet:?xt=" + record.name, 350.0f});
  return record;
}

// Records as a refresh and an episode check leave them.
ShowTable Table() {
  return {
      Show("Harbour Lights", "/shows/1/harbour", "S02E05", 1, {"S01E01", "S02E05", "S02E06"}),
      Show("Quiet Fields", "/shows/2/quiet", "S00E00", 0, {"S01E01", "S01E09", "S03E02"}),
      Show("Ninth Orchard", "/shows/3/orchard", "S00E00", 1),  // a page without episodes
      Show("Blank Codes", "/shows/4/blank", "S00E00", 0, {"", ""}),
      Show("  Padded Name  ", "/shows/5/padded", "S04E10", 0),
      Show("Twice", "/shows/6/first", "S01E03", 0),
      Show("Twice", "/shows/7/second", "S09E09", 1),
  };
}

// --- What a page opens with ------------------------------------------------

struct PageCase {
  const char* label;
  std::string favoritesText;
  int page;
  // Expected:
  int pageCount;
  std::string name;
  bool known;
  std::size_t show;
  int quality;
  bool watched;
  std::string code;
};
void PrintTo(const PageCase& c, std::ostream* os) { *os << c.label; }

class ReadFavoritePageTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(ReadFavoritePageTest, ReadsTheLineAndItsRecord) {
  const PageCase& c = GetParam();
  const ShowTable table = Table();
  const FavoritePage page = ReadFavoritePage(table, c.favoritesText, c.page);
  EXPECT_EQ(page.page, c.page);
  EXPECT_EQ(page.pageCount, c.pageCount);
  EXPECT_EQ(page.line, std::string(FavoriteLineAt(c.favoritesText, c.page)));
  EXPECT_EQ(page.name, c.name);
  EXPECT_EQ(page.known, c.known);
  if (c.known) {
    EXPECT_EQ(page.show, c.show);
  }
  EXPECT_EQ(page.quality, c.quality);
  EXPECT_EQ(page.watched, c.watched);
  EXPECT_EQ(page.code, c.code);
}

const std::string kThree =
    "\nHarbour Lights|/shows/1/harbour>S02E05H\nQuiet Fields|/shows/2/quiet>S00E00L\n"
    "Ninth Orchard|/shows/3/orchard>S00E00H\n";

INSTANTIATE_TEST_SUITE_P(
    Pages, ReadFavoritePageTest,
    ::testing::Values(
        PageCase{"WatchedShowsItsLastWatched", kThree, 1, 3, "Harbour Lights", true, 0, 1, true, "S02E05"},
        PageCase{"NeverWatchedShowsTheNewestCode", kThree, 2, 3, "Quiet Fields", true, 1, 0, false, "S03E02"},
        PageCase{"NeverWatchedWithoutEpisodesShowsTheFirstEpisode", kThree, 3, 3, "Ninth Orchard", true, 2, 1, false,
                 kFirstEpisode},
        PageCase{"NewestCodeEmptyShowsTheFirstEpisode", "\nBlank Codes|/shows/4/blank>S00E00L\n", 1, 1, "Blank Codes",
                 true, 3, 0, false, kFirstEpisode},
        // The record's name holds no blanks after a refresh; a longer one is
        // still shown trimmed, and its favourite line names it trimmed.
        PageCase{"NameShownTrimmed", "\nPadded Name|/shows/5/padded>S04E10L\n", 1, 1, "Padded Name", true, 4, 0, true,
                 "S04E10"},
        PageCase{"FirstRecordOfTheNameIsTheShow", "\nTwice|/shows/7/second>S09E09H\n", 1, 1, "Twice", true, 5, 0,
                 true, "S01E03"},
        // Not in the table: the line's own settings, and no record.
        PageCase{"UnknownShowShowsItsLine", "\nGone|/shows/9/gone>S05E06H\n", 1, 1, "Gone", false, 0, 1, true,
                 "S05E06"},
        PageCase{"UnknownShowNeverWatched", "\nGone|/shows/9/gone>S00E00L\n", 1, 1, "Gone", false, 0, 0, false,
                 kFirstEpisode},
        PageCase{"UnknownMalformedLine", "\nGone|broken\n", 1, 1, "Gone", false, 0, 0, false, kFirstEpisode}),
    ByLabel());

// --- Captions and buttons ------------------------------------------------------

TEST(SettingsPageCaption, JoinsTextPageCountAndTrimmedName) {
  EXPECT_EQ(SettingsPageCaption("Settings", 2, 5, "Lost"), "Settings 2/5 - Lost");
  EXPECT_EQ(SettingsPageCaption("Settings", 10, 12, "  The Lost Room  "), "Settings 10/12 - The Lost Room");
  EXPECT_EQ(SettingsPageCaption("Paramètres", 1, 1, "X"), "Paramètres 1/1 - X");
}

TEST(PageButtons, BackHiddenFirstShownSecondForwardEndsLast) {
  struct Case {
    int page, pages;
    BackButtonChange back;
    ForwardCaption forward;
  };
  using B = BackButtonChange;
  using F = ForwardCaption;
  const Case cases[] = {
      {1, 1, B::Hide, F::End},  {1, 2, B::Hide, F::Next}, {2, 2, B::Show, F::End},  {1, 3, B::Hide, F::Keep},
      {2, 3, B::Show, F::Next}, {3, 3, B::Keep, F::End},  {3, 5, B::Keep, F::Keep}, {4, 5, B::Keep, F::Next},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.page) + "/" + std::to_string(c.pages));
    EXPECT_EQ(BackButtonOnPage(c.page), c.back);
    EXPECT_EQ(ForwardCaptionOnPage(c.page, c.pages), c.forward);
  }
}

// --- Codes, edits and displays -----------------------------------------------

TEST(CodeConversions, EditTextsDisplaysAndTheSavedCode) {
  struct Case {
    char letter;
    std::string editText;
    std::string display;
  };
  const Case displays[] = {
      {'S', "5", "S05"},   {'S', "05", "S05"},  {'E', "12", "E12"},   {'E', "99", "E99"},  {'S', "", "S00"},
      {'S', "  7", "S07"}, {'E', "7x", "E07"},  {'S', "-3", "S00"},   {'E', "00", "E00"},  {'S', "100", "S100"},
      {'S', "32", "S32"},  {'E', "1,5", "E01"}, {'S', "x12", "S00"},
  };
  for (const Case& c : displays) {
    SCOPED_TRACE(std::string(1, c.letter) + "[" + c.editText + "]");
    EXPECT_EQ(CodeDisplay(c.letter, c.editText), c.display);
  }

  EXPECT_EQ(EditTextsForCode("S05E12").season, "05");
  EXPECT_EQ(EditTextsForCode("S05E12").episode, "12");
  EXPECT_EQ(EditTextsForCode("S00E00").season, "00");
  EXPECT_EQ(EditTextsForCode("S1").season, "1");
  EXPECT_EQ(EditTextsForCode("S1").episode, "");

  EXPECT_EQ(WatchedCode(true, "S05", "E12"), "S05E12");
  EXPECT_EQ(WatchedCode(true, "S100", "E12"), "S10E12");
  EXPECT_EQ(WatchedCode(false, "S05", "E12"), "S00E00");
}

// Every season and episode the up-down controls can reach goes from a code
// to the edits, the displays and back to the same code.
TEST(CodeConversions, EveryReachableCodeComesBackAsItWasShown) {
  for (int season = 1; season <= 32; ++season) {
    for (int episode = 1; episode <= 99; ++episode) {
      char code[8];
      std::snprintf(code, sizeof code, "S%02dE%02d", season, episode);
      const CodeEditTexts edits = EditTextsForCode(code);
      ASSERT_EQ(WatchedCode(true, CodeDisplay('S', edits.season), CodeDisplay('E', edits.episode)), code);
      // The up-down control writes its value without a leading zero.
      ASSERT_EQ(WatchedCode(true, CodeDisplay('S', std::to_string(season)), CodeDisplay('E', std::to_string(episode))),
                code);
    }
  }
}

// --- Saving a page -------------------------------------------------------------

TEST(SaveFavoritePage, RecordAndEveryOccurrenceOfTheLine) {
  ShowTable table = Table();
  UserLists lists;
  lists.favoritesText =
      "\nQuiet Fields|/shows/2/quiet>S00E00L\nHarbour Lights|/shows/1/harbour>S02E05H\n"
      "Quiet Fields|/shows/2/quiet>S00E00L\n";
  const FavoritePage page = ReadFavoritePage(table, lists.favoritesText, 1);

  ASSERT_TRUE(ChooseFavoriteQuality(table, page, 1));
  EXPECT_EQ(table[1].quality, 1);
  // The quality alone does not reach the line (closing the dialog now keeps the old letter).
  EXPECT_EQ(lists.favoritesText.find("quiet>S00E00H"), std::string::npos);

  ASSERT_TRUE(SaveFavoritePage(lists, table, page, WatchedCode(true, "S03", "E07")));
  EXPECT_EQ(table[1].lastWatched, "S03E07");
  EXPECT_EQ(lists.favoritesText,
            "\nQuiet Fields|/shows/2/quiet>S03E07H\nHarbour Lights|/shows/1/harbour>S02E05H\n"
            "Quiet Fields|/shows/2/quiet>S03E07H\n");
}

TEST(SaveFavoritePage, NeverWatchedPageSavedUnchangedStaysNeverWatched) {
  ShowTable table = Table();
  UserLists lists{kThree, "\n", "\n"};
  const FavoritePage page = ReadFavoritePage(table, lists.favoritesText, 2);
  ASSERT_FALSE(page.watched);
  ASSERT_TRUE(SaveFavoritePage(lists, table, page, WatchedCode(page.watched, "S03", "E02")));
  EXPECT_EQ(table[1].lastWatched, "S00E00");
  EXPECT_EQ(lists.favoritesText, kThree);
}

// Pages whose save must change nothing at all: neither the record nor the text.
TEST(SaveFavoritePage, RefusedSavesChangeNothing) {
  struct Case {
    const char* label;
    std::string favoritesText;  // the text when the page is saved
    int page;
    std::string pageText;       // the text the page was read from
  };
  const Case cases[] = {
      {"ShowNotInTheTable", "\nGone|/shows/9/gone>S01E01L\n", 1, "\nGone|/shows/9/gone>S01E01L\n"},
      {"ListNeverLoaded", "", 1, "\nQuiet Fields|/shows/2/quiet>S00E00L\n"},
      {"PageOutOfRange", "\nQuiet Fields|/shows/2/quiet>S00E00L\n", 2,
       "\nA|/a>S01E01L\nQuiet Fields|/shows/2/quiet>S00E00L\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ShowTable table = Table();
    const ShowTable before = Table();
    UserLists lists{c.favoritesText, "\n", "\n"};
    const FavoritePage page = ReadFavoritePage(table, c.pageText, c.page);
    EXPECT_FALSE(SaveFavoritePage(lists, table, page, "S07E07"));
    EXPECT_EQ(lists.favoritesText, c.favoritesText);
    for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].lastWatched, before[i].lastWatched);
  }
}

TEST(ChooseFavoriteQuality, OnlyAKnownShowsRecordChanges) {
  ShowTable table = Table();
  const FavoritePage known = ReadFavoritePage(table, kThree, 2);
  const FavoritePage unknown = ReadFavoritePage(table, "\nGone|/shows/9/gone>S01E01L\n", 1);
  EXPECT_TRUE(ChooseFavoriteQuality(table, known, 1));
  EXPECT_EQ(table[1].quality, 1);
  EXPECT_TRUE(ChooseFavoriteQuality(table, known, 0));
  EXPECT_EQ(table[1].quality, 0);
  EXPECT_FALSE(ChooseFavoriteQuality(table, unknown, 1));
  for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].quality, Table()[i].quality);
}

}  // namespace
}  // namespace epiloom
