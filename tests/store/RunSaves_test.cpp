#include "store/RunSaves.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/Fakes.h"

namespace epiloom {
namespace {

using testing::FakeProfileFile;
using testing::FakeProgramFolder;

constexpr char kOldFavorites[] = "Old|/o>S01E01L\r\n";
constexpr char kOldBlacklist[] = "Old Show\r\n";
constexpr char kOldChoice[] = "[Epiloom]\r\nLang=EN\r\n";

// One end-of-run save: what the folder allows, what the run loaded, and
// which files the save must name as not written (the others are written).
struct SaveCase {
  const char* label;
  bool folderWritable;      // what the probe found at start
  bool folderReallyWritable;
  const char* heldFile;     // a file another program holds ("" none)
  bool listsLoaded;
  std::vector<std::string> unsaved;  // names, in the order tried
};
void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.label; }

class SaveRunStateTest : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveRunStateTest, WritesInOrderAndNamesWhatFailed) {
  const SaveCase& c = GetParam();
  FakeProgramFolder folder;
  folder.Put("Epiloom.favorite", kOldFavorites);
  folder.Put("Epiloom.blacklist", kOldBlacklist);
  folder.Put("Epiloom-LANG.ini", kOldChoice);
  folder.SetWritable(c.folderReallyWritable);
  folder.FailWritesOf(c.heldFile);
  FakeProfileFile profile(folder);
  ShowStore store;
  if (c.listsLoaded) {
    store.lists.favoritesText = "\nNew|/n>S02E02H\n";
    store.lists.blacklistText = "\nNew Show\n";
  }

  const std::vector<std::string> unsaved = SaveRunState(store, folder, profile, "FR", c.folderWritable);

  std::vector<std::string> expected;
  for (const std::string& name : c.unsaved) expected.push_back(folder.Path() + name);
  EXPECT_EQ(unsaved, expected);
  const auto failed = [&](const std::string& name) {
    for (const std::string& n : c.unsaved) {
      if (n == name) return true;
    }
    return !c.folderWritable || (name != "Epiloom-LANG.ini" && !c.listsLoaded);
  };
  // A file not written keeps its old content, whole.
  EXPECT_EQ(folder.ReadFile("Epiloom.favorite"), failed("Epiloom.favorite") ? kOldFavorites : "New|/n>S02E02H\r\n");
  EXPECT_EQ(folder.ReadFile("Epiloom.blacklist"), failed("Epiloom.blacklist") ? kOldBlacklist : "New Show\r\n");
  EXPECT_EQ(folder.ReadFile("Epiloom-LANG.ini"), failed("Epiloom-LANG.ini") ? kOldChoice : "[Epiloom]\r\nLang=FR\r\n");
  // In a folder found unwritable at start nothing is even tried.
  if (!c.folderWritable) {
    EXPECT_EQ(folder.writes(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveRunStateTest,
    ::testing::Values(
        SaveCase{"EverythingWritten", true, true, "", true, {}},
        SaveCase{"FavoritesHeld", true, true, "Epiloom.favorite", true, {"Epiloom.favorite"}},
        SaveCase{"BlacklistHeld", true, true, "Epiloom.blacklist", true, {"Epiloom.blacklist"}},
        SaveCase{"ChoiceHeld", true, true, "Epiloom-LANG.ini", true, {"Epiloom-LANG.ini"}},
        SaveCase{"FolderTurnedReadOnlyDuringTheRun", true, false, "", true,
                 {"Epiloom.blacklist", "Epiloom.favorite", "Epiloom-LANG.ini"}},
        SaveCase{"ListsNeverLoadedOnlyTheChoice", true, true, "", false, {}},
        SaveCase{"ListsNeverLoadedChoiceHeld", true, true, "Epiloom-LANG.ini", false, {"Epiloom-LANG.ini"}},
        SaveCase{"FolderFoundUnwritableAtStart", false, false, "", true, {}},
        SaveCase{"ProbeSaidUnwritableNothingTried", false, true, "", true, {}}),
    [](const auto& param) { return std::string(param.param.label); });

TEST(SaveProblemNotice, NamesEveryFileBetweenTheTwoTexts) {
  const LanguageTexts texts;
  EXPECT_EQ(SaveProblemNotice(texts, {}), "");
  EXPECT_EQ(SaveProblemNotice(texts, {"C:\\E\\Epiloom.favorite", "C:\\E\\Epiloom-LANG.ini"}),
            "Epiloom could not save these files:\nC:\\E\\Epiloom.favorite\nC:\\E\\Epiloom-LANG.ini\n\n"
            "What you changed in them is lost. Another program may be holding them open.");
}

TEST(ReadOnlyFolderNotice, NamesTheFolderBetweenTheTwoTexts) {
  LanguageTexts texts;
  texts.Set(TextKey::ReadOnlyFolder1, "one");
  texts.Set(TextKey::ReadOnlyFolder2, "two");
  EXPECT_EQ(ReadOnlyFolderNotice(texts, "C:\\Program Files\\Epiloom\\"), "one\nC:\\Program Files\\Epiloom\\\n\ntwo");
}

}  // namespace
}  // namespace epiloom
