#include "store/UserLists.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "fakes/ByLabel.h"
#include "fakes/Fakes.h"

namespace epiloom {
namespace {

using testing::ByLabel;

using testing::FakeProgramFolder;

ShowRecord Show(std::string name, std::string pagePath, std::string lastWatched = "S00E00", std::int16_t quality = 0) {
  ShowRecord record;
  record.name = std::move(name);
  record.pagePath = std::move(pagePath);
  record.lastWatched = std::move(lastWatched);
  record.quality = quality;
  return record;
}

// --- FavoriteLine --------------------------------------------------------

struct LineCase {
  const char* label;
  ShowRecord record;
  std::string line;
};
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.label; }

class FavoriteLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(FavoriteLineTest, BuildsTheLine) { EXPECT_EQ(FavoriteLine(GetParam().record), GetParam().line); }

INSTANTIATE_TEST_SUITE_P(
    Lines, FavoriteLineTest,
    ::testing::Values(
        LineCase{"Hd", Show("Some Show", "/shows/123/some-show", "S02E05", 1),
                 "Some Show|/shows/123/some-show>S02E05H"},
        LineCase{"StandardQuality", Show("Some Show", "/shows/123/some-show", "S02E05", 0),
                 "Some Show|/shows/123/some-show>S02E05L"},
        LineCase{"AnyOtherQualityIsL", Show("X", "/x", "S01E01", 2), "X|/x>S01E01L"},
        LineCase{"NameCutTo42ThenTrimmed", Show(std::string(41, 'n') + "  tail", "/p"),
                 std::string(41, 'n') + "|/p>S00E00L"},
        LineCase{"PathCutTo100", Show("X", "/" + std::string(120, 'p')), "X|/" + std::string(99, 'p') + ">S00E00L"},
        LineCase{"ShortCodePadded", Show("X", "/x", "S1", 0), "X|/x>S1    L"},
        LineCase{"LongCodeCut", Show("X", "/x", "S01E02extra", 1), "X|/x>S01E02H"}),
    ByLabel());

// --- Counts and k-th line ------------------------------------------------

TEST(FavoriteCounts, CountLinesAndNeverWatched) {
  struct Case {
    std::string text;
    int favorites;
    int unwatched;
  };
  const Case cases[] = {
      {"", 0, 0},
      {"\n", 0, 0},
      {"\nA|/a>S00E00L\n", 1, 1},
      {"\nA|/a>S00E00L\nB|/b>S01E02H\nC|/c>S00E00H\n", 3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FavoriteCount(c.text), c.favorites);
    EXPECT_EQ(BlacklistCount(c.text), c.favorites);
    EXPECT_EQ(UnwatchedCount(c.text), c.unwatched);
  }
}

TEST(FavoriteLineAt, KthFieldAndItsName) {
  const std::string text = "\nA|/a>S00E00L\nB b|/b|x>S01E02H\nBroken\n";
  struct Case {
    int k;
    std::string_view line;
    std::string_view name;
  };
  const Case cases[] = {
      {0, "", ""},
      {1, "A|/a>S00E00L", "A"},
      {2, "B b|/b|x>S01E02H", "B b"},  // the name ends at the first "|"
      {3, "Broken", "Broke"},          // no "|": all but the last character
      {4, "", ""},                     // past the last line
      {-1, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.k);
    EXPECT_EQ(FavoriteLineAt(text, c.k), c.line);
    EXPECT_EQ(FavoriteNameAt(text, c.k), c.name);
  }
  EXPECT_EQ(ListEntries(text), (std::vector<std::string_view>{"A|/a>S00E00L", "B b|/b|x>S01E02H", "Broken"}));
  EXPECT_TRUE(ListEntries("").empty());
  EXPECT_TRUE(ListEntries("\n").empty());
}

// --- Taking a favourite's settings ------------------------------------------

TEST(TakeFavoriteSettings, ReadsCodeAndLetterAfterTheKey) {
  struct Case {
    const char* label;
    std::string text;
    std::string key;
    std::string lastWatched;
    std::int16_t quality;
  };
  const Case cases[] = {
      {"Hd", "\nA|/a>S02E05H\n", "A|/a", "S02E05", 1},
      {"Standard", "\nA|/a>S02E05L\n", "A|/a", "S02E05", 0},
      {"KeyInsideALine", "\nXA|/a>S03E01H\n", "A|/a", "S03E01", 1},
      {"LetterMissingAtEnd", "\nA|/a>S02E05", "A|/a", "S02E05", 0},
      {"CodeRunsPastEnd", "\nA|/a>S02", "A|/a", "S02   ", 0},
      {"TextEndsAfterKey", "\nA|/a", "A|/a", "      ", 0},
      {"ShortLineReadsOnIntoTheNext", "\nA|/a\nB|/b>S01E01H\n", "A|/a", "B|/b>S", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ShowRecord record = Show("A", "/a");
    record.quality = 1;
    const std::size_t at = c.text.find(c.key);
    ASSERT_NE(at, std::string::npos);
    TakeFavoriteSettings(record, c.text, at + c.key.size());
    EXPECT_EQ(record.lastWatched, c.lastWatched);
    EXPECT_EQ(record.quality, c.quality);
  }
}

// --- Loading -------------------------------------------------------------

struct LoadCase {
  const char* label;
  std::optional<std::string> favoritesFile;
  std::optional<std::string> blacklistFile;
  std::string favoritesText;
  std::string missingFavorites;
  std::string blacklistText;
};
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.label; }

class LoadUserListsTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadUserListsTest, BuildsTheTexts) {
  const LoadCase& c = GetParam();
  FakeProgramFolder folder;
  if (c.favoritesFile) folder.Put("Epiloom.favorite", *c.favoritesFile);
  if (c.blacklistFile) folder.Put("Epiloom.blacklist", *c.blacklistFile);
  const UserLists lists = LoadUserLists(folder);
  EXPECT_EQ(lists.favoritesText, c.favoritesText);
  EXPECT_EQ(lists.missingFavorites, c.missingFavorites);
  EXPECT_EQ(lists.blacklistText, c.blacklistText);
  EXPECT_EQ(folder.writes(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadUserListsTest,
    ::testing::Values(
        LoadCase{"NoFiles", std::nullopt, std::nullopt, "\n", "\n", "\n"},
        LoadCase{"EmptyFiles", "", "", "\n", "\n", "\n"},
        LoadCase{"CrLfLines", "A|/a>S01E02H\r\nB|/b>S00E00L\r\n", "X\r\nY\r\n",
                 "\nA|/a>S01E02H\nB|/b>S00E00L\n", "\nA\nB\n", "\nX\nY\n"},
        LoadCase{"CrLines", "A|/a>S01E02H\rB|/b>S00E00L\r", "X\rY\r", "\nA|/a>S01E02H\nB|/b>S00E00L\n",
                 "\nA\nB\n", "\nX\nY\n"},
        LoadCase{"LastLineWithoutEnd", "A|/a>S01E02H\r\nB|/b>S00E00L", "X\r\nY", "\nA|/a>S01E02H\nB|/b>S00E00L\n",
                 "\nA\nB\n", "\nX\nY\n"},
        LoadCase{"LoneLfStaysInTheLine", "A|/a>S01E02H\nB|/b>S00E00L\r\n", "X\nY\r\n",
                 "\nA|/a>S01E02H\nB|/b>S00E00L\n", "\nA\n", "\nX\nY\n"},
        LoadCase{"Byte26EndsTheFile", "A|/a>S01E02H\r\n\x1a" "B|/b>S00E00L\r\n", "X\x1aY\r\n",
                 "\nA|/a>S01E02H\n", "\nA\n", "\nX\n"},
        LoadCase{"EmptyLinesIgnored", "\r\n\r\nA|/a>S01E02H\r\n\r\r\n\r\n", "\r\r\nX\r\n\r\n",
                 "\nA|/a>S01E02H\n", "\nA\n", "\nX\n"},
        LoadCase{"LinesTakenAsTheyStand", "  Spaced | /p >S01E01H  \r\n", " Name \r\n",
                 "\n  Spaced | /p >S01E01H  \n", "\n  Spaced \n", "\n Name \n"},
        LoadCase{"LineWithoutBarGivesAllButLastCharacter", "Broken\r\n|/p>S01E01H\r\nZ\r\n", std::nullopt,
                 "\nBroken\n|/p>S01E01H\nZ\n", "\nBroke\n\n\n", "\n"},
        LoadCase{"OnlyFavorites", "A|/a>S01E02H\r\n", std::nullopt, "\nA|/a>S01E02H\n", "\nA\n", "\n"},
        LoadCase{"OnlyBlacklist", std::nullopt, "X\r\n", "\n", "\n", "\nX\n"}),
    ByLabel());

TEST(BuildUserLists, UnreadableFileStaysNeverLoaded) {
  ListFiles files;
  files.favoritesReadable = false;
  files.blacklist = std::string_view("X\r\n");
  UserLists lists = BuildUserLists(files);
  EXPECT_EQ(lists.favoritesText, "");
  EXPECT_EQ(lists.missingFavorites, "\n");
  EXPECT_EQ(lists.blacklistText, "\nX\n");

  FakeProgramFolder folder;
  folder.Put("Epiloom.favorite", "Mine|/m>S01E01H\r\n");
  ASSERT_TRUE(SaveUserLists(lists, folder));
  EXPECT_EQ(folder.ReadFile("Epiloom.favorite"), "Mine|/m>S01E01H\r\n");

  files.blacklistReadable = false;
  lists = BuildUserLists(files);
  EXPECT_EQ(lists.blacklistText, "");
}

// --- Saving --------------------------------------------------------------

// Records which of the two write calls the code under test used.
class CallRecordingFolder : public FakeProgramFolder {
 public:
  bool WriteFile(const std::string& name, std::string_view bytes) override {
    calls.push_back("write " + name);
    return FakeProgramFolder::WriteFile(name, bytes);
  }
  bool ReplaceWholeFile(const std::string& name, std::string_view bytes) override {
    calls.push_back("replace " + name);
    return FakeProgramFolder::WriteFile(name, bytes);
  }
  std::vector<std::string> calls;
};

struct SaveCase {
  const char* label;
  std::string favoritesText;
  std::string blacklistText;
  std::optional<std::string> favoritesFile;  // nullopt: left untouched
  std::optional<std::string> blacklistFile;
};
void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.label; }

class SaveUserListsTest : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveUserListsTest, WritesCrLfFilesByReplacingThem) {
  const SaveCase& c = GetParam();
  CallRecordingFolder folder;
  folder.Put("Epiloom.favorite", "old favourites\r\n");
  folder.Put("Epiloom.blacklist", "old blacklist\r\n");
  UserLists lists;
  lists.favoritesText = c.favoritesText;
  lists.blacklistText = c.blacklistText;
  ASSERT_TRUE(SaveUserLists(lists, folder));

  EXPECT_EQ(folder.ReadFile("Epiloom.favorite"), c.favoritesFile.value_or("old favourites\r\n"));
  EXPECT_EQ(folder.ReadFile("Epiloom.blacklist"), c.blacklistFile.value_or("old blacklist\r\n"));
  std::vector<std::string> expectedCalls;  // blacklist first, never a plain write
  if (c.blacklistFile) expectedCalls.push_back("replace Epiloom.blacklist");
  if (c.favoritesFile) expectedCalls.push_back("replace Epiloom.favorite");
  EXPECT_EQ(folder.calls, expectedCalls);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveUserListsTest,
    ::testing::Values(
        SaveCase{"Lines", "\nA|/a>S01E02H\nB|/b>S00E00L\n", "\nX\nY\n", "A|/a>S01E02H\r\nB|/b>S00E00L\r\n",
                 "X\r\nY\r\n"},
        SaveCase{"AllRemovedGivesOneCrLf", "\n", "\n", "\r\n", "\r\n"},
        SaveCase{"NeverLoadedLeftUntouched", "", "", std::nullopt, std::nullopt},
        SaveCase{"OnlyBlacklistLoaded", "", "\nX\n", std::nullopt, "X\r\n"},
        SaveCase{"LeadingAndTrailingLfsDropped", "\n\n\nA|/a>S01E02H\n\n\n", "X", "A|/a>S01E02H\r\n", "X\r\n"},
        SaveCase{"InnerEmptyFieldKept", "\nA\n\nB\n", "\n", "A\r\n\r\nB\r\n", "\r\n"}),
    ByLabel());

TEST(SaveUserLists, EmptyLinesDroppedOnLoadDoNotComeBack) {
  FakeProgramFolder folder;
  folder.Put("Epiloom.favorite", "\r\nA|/a>S01E02H\r\n\r\n\rB|/b>S00E00L\r\n");
  folder.Put("Epiloom.blacklist", "\r\nX\r\n\r\n");
  ASSERT_TRUE(SaveUserLists(LoadUserLists(folder), folder));
  EXPECT_EQ(folder.ReadFile("Epiloom.favorite"), "A|/a>S01E02H\r\nB|/b>S00E00L\r\n");
  EXPECT_EQ(folder.ReadFile("Epiloom.blacklist"), "X\r\n");
}

TEST(SaveUserLists, AllFavoritesRemovedLoadsAsEmptyList) {
  FakeProgramFolder folder;
  folder.Put("Epiloom.favorite", "A|/a>S01E02H\r\n");
  UserLists lists = LoadUserLists(folder);
  RemoveFavorite(lists, Show("A", "/a", "S01E02", 1));
  ASSERT_TRUE(SaveUserLists(lists, folder));
  EXPECT_EQ(folder.ReadFile("Epiloom.favorite"), "\r\n");
  const UserLists again = LoadUserLists(folder);
  EXPECT_EQ(again.favoritesText, "\n");
  EXPECT_EQ(FavoriteCount(again.favoritesText), 0);
}

TEST(SaveUserLists, StoreCopyIsWrittenAndFailureReported) {
  ShowStore store;
  store.lists.favoritesText = "\nA|/a>S01E02H\n";
  store.lists.blacklistText = "\nX\n";
  FakeProgramFolder folder;
  EXPECT_TRUE(SaveUserLists(store, folder));
  EXPECT_EQ(folder.ReadFile("Epiloom.favorite"), "A|/a>S01E02H\r\n");
  EXPECT_EQ(folder.ReadFile("Epiloom.blacklist"), "X\r\n");

  FakeProgramFolder readOnly;
  readOnly.SetWritable(false);
  EXPECT_FALSE(SaveUserLists(store, readOnly));
  EXPECT_FALSE(readOnly.Exists("Epiloom.favorite"));
  EXPECT_EQ(SaveUserLists(store, readOnly).unsaved,
            (std::vector<std::string>{"Epiloom.blacklist", "Epiloom.favorite"}));

  // Another program holds one file: only that one is named, the other written.
  FakeProgramFolder held;
  held.FailWritesOf("Epiloom.blacklist");
  EXPECT_EQ(SaveUserLists(store, held).unsaved, std::vector<std::string>{"Epiloom.blacklist"});
  EXPECT_EQ(held.ReadFile("Epiloom.favorite"), "A|/a>S01E02H\r\n");
}

// --- Editing -------------------------------------------------------------

struct EditCase {
  const char* label;
  std::string favoritesText;
  std::string blacklistText;
  std::string missingFavorites;
  std::function<bool(UserLists&)> edit;
  bool done;
  std::string expectedFavorites;
  std::string expectedBlacklist;
};
void PrintTo(const EditCase& c, std::ostream* os) { *os << c.label; }

class EditTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditTest, ChangesOnlyWhatItShould) {
  const EditCase& c = GetParam();
  UserLists lists{c.favoritesText, c.blacklistText, c.missingFavorites};
  EXPECT_EQ(c.edit(lists), c.done);
  EXPECT_EQ(lists.favoritesText, c.expectedFavorites);
  EXPECT_EQ(lists.blacklistText, c.expectedBlacklist);
}

const ShowRecord kLost = Show("Lost", "/shows/1/lost", "S01E02", 1);

INSTANTIATE_TEST_SUITE_P(
    Lists, EditTest,
    ::testing::Values(
        EditCase{"AddFavorite", "\nA|/a>S00E00L\n", "\n", "\n", [](UserLists& l) { return AddFavorite(l, kLost); },
                 true, "\nA|/a>S00E00L\nLost|/shows/1/lost>S01E02H\n", "\n"},
        EditCase{"AddFavoriteToEmptyList", "\n", "\n", "\n", [](UserLists& l) { return AddFavorite(l, kLost); }, true,
                 "\nLost|/shows/1/lost>S01E02H\n", "\n"},
        EditCase{"RemoveFavoriteEveryOccurrence",
                 "\nLost|/shows/1/lost>S01E02H\nA|/a>S00E00L\nLost|/shows/1/lost>S01E02H\n", "\n", "\n",
                 [](UserLists& l) { return RemoveFavorite(l, kLost); }, true, "\nA|/a>S00E00L\n", "\n"},
        EditCase{"RemoveFavoriteNotThere", "\nA|/a>S00E00L\n", "\n", "\n",
                 [](UserLists& l) { return RemoveFavorite(l, kLost); }, true, "\nA|/a>S00E00L\n", "\n"},
        EditCase{"ReplaceKthLineEveryOccurrence",
                 "\nA|/a>S00E00L\nLost|/shows/1/lost>S00E00L\nLost|/shows/1/lost>S00E00L\n", "\n", "\n",
                 [](UserLists& l) { return ReplaceFavoriteLine(l, 2, kLost); }, true,
                 "\nA|/a>S00E00L\nLost|/shows/1/lost>S01E02H\nLost|/shows/1/lost>S01E02H\n", "\n"},
        EditCase{"ReplaceKthLineOutOfRange", "\nA|/a>S00E00L\n", "\n", "\n",
                 [](UserLists& l) { return ReplaceFavoriteLine(l, 0, kLost) || ReplaceFavoriteLine(l, 2, kLost); },
                 false, "\nA|/a>S00E00L\n", "\n"},
        EditCase{"BlacklistShow", "\n", "\nX\n", "\n", [](UserLists& l) { return BlacklistShow(l, "Lost"); }, true,
                 "\n", "\nX\nLost\n"},
        EditCase{"BlacklistShowCutToWidth", "\n", "\n", "\n",
                 [](UserLists& l) { return BlacklistShow(l, std::string(50, 'b')); }, true, "\n",
                 "\n" + std::string(42, 'b') + "\n"},
        EditCase{"PutBackRemovesOnlyEqualLines", "\n", "\nLost\nThe Lost\nLost Room\nLost\n", "\n",
                 [](UserLists& l) { return PutBackShow(l, "Lost"); }, true, "\n", "\nThe Lost\nLost Room\n"},
        EditCase{"PutBackTwoEqualLinesInARow", "\n", "\nA\nLost\nLost\nLost\nB\n", "\n",
                 [](UserLists& l) { return PutBackShow(l, "Lost"); }, true, "\n", "\nA\nB\n"},
        // A list that was never loaded is refused; the other list is edited.
        EditCase{"AddFavoriteToNeverLoaded", "", "\n", "\n", [](UserLists& l) { return AddFavorite(l, kLost); }, false,
                 "", "\n"},
        EditCase{"RemoveFavoriteFromNeverLoaded", "", "\n", "\n", [](UserLists& l) { return RemoveFavorite(l, kLost); },
                 false, "", "\n"},
        EditCase{"ReplaceLineOfNeverLoaded", "", "\n", "\n",
                 [](UserLists& l) { return ReplaceFavoriteLine(l, 1, kLost); }, false, "", "\n"},
        EditCase{"BlacklistShowInNeverLoaded", "\n", "", "\n", [](UserLists& l) { return BlacklistShow(l, "Lost"); },
                 false, "\n", ""},
        EditCase{"PutBackFromNeverLoaded", "\n", "", "\n", [](UserLists& l) { return PutBackShow(l, "Lost"); }, false,
                 "\n", ""},
        EditCase{"BlacklistShowBesideNeverLoadedFavorites", "", "\n", "\n",
                 [](UserLists& l) { return BlacklistShow(l, "Lost"); }, true, "", "\nLost\n"},
        EditCase{"AddFavoriteBesideNeverLoadedBlacklist", "\n", "", "\n",
                 [](UserLists& l) { return AddFavorite(l, kLost); }, true, "\nLost|/shows/1/lost>S01E02H\n", ""},
        EditCase{"PruneLostLeavesTheLostRoom",
                 "\nLost|/shows/1/lost>S01E02H\nThe Lost Room|/shows/2/room>S00E00L\nLost|/other>S00E00L\n", "\n",
                 "\nLost\n", [](UserLists& l) { return RemoveMissingFavorites(l), true; }, true,
                 "\nThe Lost Room|/shows/2/room>S00E00L\n", "\n"},
        EditCase{"PruneSeveralAndMalformed", "\nA|/a>S00E00L\nBroken\nB|/b>S00E00L\nC|/c>S00E00L\n", "\n",
                 "\nA\nBroke\nC\n", [](UserLists& l) { return RemoveMissingFavorites(l), true; }, true,
                 "\nB|/b>S00E00L\n", "\n"},
        EditCase{"PruneNothingMissing", "\nA|/a>S00E00L\n", "\n", "\n",
                 [](UserLists& l) { return RemoveMissingFavorites(l), true; }, true, "\nA|/a>S00E00L\n", "\n"},
        EditCase{"PruneNeverLoaded", "", "\n", "\nLost\n", [](UserLists& l) { return RemoveMissingFavorites(l), true; },
                 true, "", "\n"}),
    ByLabel());

// The whole run: a list file that exists but cannot be read, an edit of that
// list, and the save at the end, which must leave the user's file as it was.
class UnreadableFolder : public FakeProgramFolder {
 public:
  std::optional<std::string> ReadFile(const std::string& name) const override {
    if (name == unreadable) return std::nullopt;
    return FakeProgramFolder::ReadFile(name);
  }
  std::string unreadable;
};

struct UnreadableCase {
  const char* label;
  const char* unreadableFile;
  std::function<bool(UserLists&)> edit;
};
void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << c.label; }

class UnreadableListTest : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableListTest, EditIsRefusedAndTheFileSurvivesTheSave) {
  const UnreadableCase& c = GetParam();
  const std::string favoritesFile = "Lost|/shows/1/lost>S01E02H\r\nA|/a>S00E00L\r\n";
  const std::string blacklistFile = "Lost\r\nX\r\n";
  UnreadableFolder folder;
  folder.Put("Epiloom.favorite", favoritesFile);
  folder.Put("Epiloom.blacklist", blacklistFile);
  folder.unreadable = c.unreadableFile;

  UserLists lists = LoadUserLists(folder);
  const UserLists loaded = lists;
  EXPECT_FALSE(c.edit(lists));
  EXPECT_EQ(lists.favoritesText, loaded.favoritesText);
  EXPECT_EQ(lists.blacklistText, loaded.blacklistText);
  EXPECT_EQ(lists.missingFavorites, loaded.missingFavorites);

  ASSERT_TRUE(SaveUserLists(lists, folder));
  EXPECT_EQ(folder.Files().at("Epiloom.favorite"), favoritesFile);
  EXPECT_EQ(folder.Files().at("Epiloom.blacklist"), blacklistFile);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, UnreadableListTest,
    ::testing::Values(
        UnreadableCase{"AddFavorite", "Epiloom.favorite", [](UserLists& l) { return AddFavorite(l, kLost); }},
        UnreadableCase{"RemoveFavorite", "Epiloom.favorite", [](UserLists& l) { return RemoveFavorite(l, kLost); }},
        UnreadableCase{"ReplaceFavoriteLine", "Epiloom.favorite",
                       [](UserLists& l) { return ReplaceFavoriteLine(l, 1, Show("A", "/a", "S09E09", 1)); }},
        UnreadableCase{"BlacklistShow", "Epiloom.blacklist", [](UserLists& l) { return BlacklistShow(l, "New"); }},
        UnreadableCase{"PutBackShow", "Epiloom.blacklist", [](UserLists& l) { return PutBackShow(l, "Lost"); }}),
    ByLabel());

}  // namespace
}  // namespace epiloom
