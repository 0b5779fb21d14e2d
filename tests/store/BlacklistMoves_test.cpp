#include "store/BlacklistMoves.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/ByLabel.h"
#include "store/UserLists.h"

namespace epiloom {
namespace {

using testing::ByLabel;

using Names = std::vector<std::string>;

ShowTable TableOf(const Names& names) {
  ShowTable table;
  for (const std::string& name : names) {
    ShowRecord record;
    record.name = name;
    record.pagePath = "/shows/" + name;
    record.lastWatched = "S00E00";
    table.push_back(record);
  }
  return table;
}

// --- Membership and the two lists ---------------------------------------------

TEST(DialogMembership, FavouriteLinesBeginWithTheNameBlacklistLinesAreTheName) {
  const std::string favorites = "\nThe Lost|/shows/2/the-lost>S00E00L\nAlpha|/shows/1/alpha>S01E01H\n";
  EXPECT_TRUE(IsFavoriteName(favorites, "Alpha"));
  EXPECT_TRUE(IsFavoriteName(favorites, "The Lost"));
  EXPECT_FALSE(IsFavoriteName(favorites, "Lost"));  // only the end of a favourite's name
  EXPECT_FALSE(IsFavoriteName(favorites, "Alph"));
  EXPECT_FALSE(IsFavoriteName("", "Alpha"));

  const std::string blacklist = "\nThe Lost\nBeta\n";
  EXPECT_TRUE(IsBlacklistedName(blacklist, "Beta"));
  EXPECT_TRUE(IsBlacklistedName(blacklist, "The Lost"));
  EXPECT_FALSE(IsBlacklistedName(blacklist, "Lost"));
  EXPECT_FALSE(IsBlacklistedName(blacklist, "Bet"));
  EXPECT_FALSE(IsBlacklistedName("", "Beta"));
}

TEST(DialogLists, LeftHoldsShowsNeitherBlacklistedNorFavouriteRightHoldsTheBlacklist) {
  const UserLists lists{"\nAlpha|/shows/1/alpha>S01E01H\nThe Lost|/shows/2/the-lost>S00E00L\n",
                        "\nGamma\nNowhere Man\nLost Room\n", "\n"};
  const Names showList = {"Alpha", "Beta", "Gamma", "Lost", "Lost Room", "The Lost", "Zeta"};
  EXPECT_EQ(BlacklistCandidates(showList, lists), (Names{"Beta", "Lost", "Zeta"}));
  EXPECT_EQ(BlacklistedNames(lists.blacklistText), (Names{"Gamma", "Nowhere Man", "Lost Room"}));

  // With nothing blacklisted the left list is every non-favourite.
  const UserLists none{lists.favoritesText, "\n", "\n"};
  EXPECT_EQ(BlacklistCandidates(showList, none), (Names{"Beta", "Gamma", "Lost", "Lost Room", "Zeta"}));
  EXPECT_TRUE(BlacklistedNames(none.blacklistText).empty());
  EXPECT_TRUE(BlacklistedNames("").empty());
}

// --- Case-insensitive lookup and byte-order place -----------------------------

TEST(EqualIgnoringCase, LettersOfTheCodePageWithoutTheirCase) {
  struct Case {
    std::string a, b;
    bool equal;
  };
  const Case cases[] = {
      {"Lost", "lost", true},
      {"LOST ROOM", "lost room", true},
      {"Lost", "Lost ", false},
      {"Lost", "Lose", false},
      {"\xC9t\xE9", "\xE9T\xC9", true},     // Été / éTÉ
      {"\xD7", "\xF7", false},              // multiplication and division signs are no letters
      {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF", true},  // Š Œ Ž Ÿ
      {"[", "{", false},                    // 0x5B and 0x7B are 32 apart but no letters
      {"", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    EXPECT_EQ(EqualIgnoringCase(c.a, c.b), c.equal);
    EXPECT_EQ(EqualIgnoringCase(c.b, c.a), c.equal);
  }
  const Names items = {"Alpha", "lost", "Lost", "Zeta"};
  EXPECT_EQ(FindNameIgnoringCase(items, "LOST"), std::optional<std::size_t>(1));
  EXPECT_EQ(FindNameIgnoringCase(items, "Lost Room"), std::nullopt);
}

TEST(ByteOrderInsertPosition, BeforeTheFirstItemThatSortsAfter) {
  struct Case {
    const char* label;
    Names items;
    std::string name;
    std::size_t position;
  };
  const Case cases[] = {
      {"EmptyList", {}, "Lost", 0},
      {"AfterEveryName", {"Alpha", "Beta"}, "Zeta", 2},
      {"BeforeEveryName", {"Beta", "Gamma"}, "Alpha", 0},
      {"InTheMiddle", {"Alpha", "Gamma"}, "Beta", 1},
      {"PrefixSortsFirst", {"Alpha", "Lost Room"}, "Lost", 1},
      {"LongerAfterItsPrefix", {"Lost", "Zeta"}, "Lost Room", 1},
      {"AfterAnEqualName", {"Lost", "Zeta"}, "Lost", 1},
      {"CapitalsBeforeSmallLetters", {"Zeta", "alpha"}, "beta", 2},
      {"SmallLettersAfterCapitals", {"Alpha", "beta"}, "Zulu", 1},
      {"HighBytesAreUnsigned", {"Alpha", "\xC9t\xE9"}, "Zeta", 1},
      // A list that is not in order: the first item sorting after decides.
      {"UnsortedList", {"Zeta", "Alpha"}, "Beta", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(ByteOrderInsertPosition(c.items, c.name), c.position);
  }
}

// --- The moves -------------------------------------------------------------------

struct MoveCase {
  const char* label;
  bool toBlacklist;  // ">>" when true, "<<" otherwise
  Names table;
  std::string blacklistText;
  Names showList;
  std::string name;
  // Expected:
  bool moved;
  std::string blacklistAfter;
  Names showListAfter;
};
void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.label; }

class MoveTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveTest, ChangesTheBlacklistAndTheShowList) {
  const MoveCase& c = GetParam();
  const ShowTable table = TableOf(c.table);
  UserLists lists{"\nFav|/shows/Fav>S00E00L\n", c.blacklistText, "\n"};
  Names showList = c.showList;
  const ShowListEdit edit = c.toBlacklist ? BlacklistFromDialog(lists, table, showList, c.name)
                                          : PutBackFromDialog(lists, table, showList, c.name);
  EXPECT_EQ(edit.moved, c.moved);
  if (!edit.moved) {
    EXPECT_FALSE(edit.removeAt || edit.insertAt);
  }
  ApplyShowListEdit(edit, showList, c.name);
  EXPECT_EQ(lists.blacklistText, c.blacklistAfter);
  EXPECT_EQ(showList, c.showListAfter);
  EXPECT_EQ(lists.favoritesText, "\nFav|/shows/Fav>S00E00L\n");
}

const Names kShows = {"Alpha", "Beta", "Fav", "Lost", "The Lost", "Zeta"};

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveTest,
    ::testing::Values(
        MoveCase{"BlacklistAppendsAndDeletesTheItem", true, kShows, "\nZeta\n", {"Alpha", "Beta", "Fav", "Lost"},
                 "Beta", true, "\nZeta\nBeta\n", {"Alpha", "Fav", "Lost"}},
        MoveCase{"BlacklistDeletesTheFirstItemEqualIgnoringCase", true, kShows, "\n", {"Alpha", "LOST", "Lost"},
                 "Lost", true, "\nLost\n", {"Alpha", "Lost"}},
        MoveCase{"BlacklistNameNoLongerListed", true, kShows, "\n", {"Alpha"}, "Beta", true, "\nBeta\n", {"Alpha"}},
        MoveCase{"BlacklistNameNotInTheTable", true, kShows, "\n", {"Alpha", "Nowhere"}, "Nowhere", false, "\n",
                 {"Alpha", "Nowhere"}},
        MoveCase{"BlacklistNeverLoaded", true, kShows, "", {"Alpha", "Beta"}, "Beta", false, "", {"Alpha", "Beta"}},
        MoveCase{"PutBackInsertsAtItsPlace", false, kShows, "\nBeta\nZeta\n", {"Alpha", "Fav", "Lost"}, "Beta", true,
                 "\nZeta\n", {"Alpha", "Beta", "Fav", "Lost"}},
        MoveCase{"PutBackAfterEveryName", false, kShows, "\nZeta\n", {"Alpha", "Beta"}, "Zeta", true, "\n",
                 {"Alpha", "Beta", "Zeta"}},
        MoveCase{"PutBackIntoAnEmptyList", false, kShows, "\nBeta\n", {}, "Beta", true, "\n", {"Beta"}},
        MoveCase{"PutBackLeavesNamesEndingTheSame", false, kShows, "\nThe Lost\nLost\nLost Room\nLost\n", {"Alpha"},
                 "Lost", true, "\nThe Lost\nLost Room\n", {"Alpha", "Lost"}},
        MoveCase{"PutBackNameNotInTheTable", false, kShows, "\nNowhere Man\nBeta\n", {"Alpha"}, "Nowhere Man", false,
                 "\nNowhere Man\nBeta\n", {"Alpha"}},
        MoveCase{"PutBackNameNoLongerBlacklisted", false, kShows, "\nZeta\n", {"Alpha", "Beta"}, "Beta", false,
                 "\nZeta\n", {"Alpha", "Beta"}},
        MoveCase{"PutBackNeverLoaded", false, kShows, "", {"Alpha"}, "Beta", false, "", {"Alpha"}}),
    ByLabel());

// One click with several names selected, as the dialog runs it: each move
// sees the show list as the previous one left it.
TEST(Moves, SeveralNamesOfOneClickKeepTheListInOrder) {
  const Names all = {"Alpha", "Beta", "Delta", "Gamma", "Lost", "Zeta"};
  const ShowTable table = TableOf(all);
  UserLists lists{"\n", "\n", "\n"};
  Names showList = all;

  for (const char* name : {"Beta", "Gamma", "Zeta"}) {
    const ShowListEdit edit = BlacklistFromDialog(lists, table, showList, name);
    ASSERT_TRUE(edit.moved) << name;
    ApplyShowListEdit(edit, showList, name);
  }
  EXPECT_EQ(showList, (Names{"Alpha", "Delta", "Lost"}));
  EXPECT_EQ(BlacklistCount(lists.blacklistText), 3);
  EXPECT_EQ(BlacklistCandidates(showList, lists), showList);

  // The right list holds them in text order (the list box sorts them); back
  // they go, in any order, and the list is as it was.
  for (const char* name : {"Zeta", "Beta", "Gamma"}) {
    const ShowListEdit edit = PutBackFromDialog(lists, table, showList, name);
    ASSERT_TRUE(edit.moved) << name;
    ApplyShowListEdit(edit, showList, name);
  }
  EXPECT_EQ(showList, all);
  EXPECT_EQ(lists.blacklistText, "\n");
  EXPECT_TRUE(std::is_sorted(showList.begin(), showList.end()));
}

}  // namespace
}  // namespace epiloom
