#include "i18n/LanguageChoice.h"

#include <gtest/gtest.h>

#include "app/MainWindowIds.h"
#include "fakes/Fakes.h"

namespace epiloom {
namespace {

using testing::FakeProfileFile;
using testing::FakeProgramFolder;
using testing::RecordingWindow;

TEST(LanguageChoice, ChoiceFileValues) {
  struct Case {
    const char* name;
    std::string file;  // content of Epiloom-LANG.ini, or "" for no file
    std::string code;
  };
  const Case cases[] = {
      {"no file", "", "EN"},
      {"no key", "[Epiloom]\r\nOther=FR\r\n", "EN"},
      {"plain", "[Epiloom]\r\nLang=FR\r\n", "FR"},
      {"lower case kept", "[epiloom]\r\nlang=fr\r\n", "fr"},
      {"three letters", "[Epiloom]\r\nLang=DEU\r\n", "DE"},
      {"one letter padded", "[Epiloom]\r\nLang=D\r\n", "D "},
      {"blanks trimmed", "[Epiloom]\r\nLang=   IT   \r\n", "IT"},
      {"empty value", "[Epiloom]\r\nLang=\r\n", "  "},
  };
  for (const Case& c : cases) {
    FakeProgramFolder folder;
    if (!c.file.empty()) folder.Put(kLanguageChoiceFile, c.file);
    FakeProfileFile profile(folder);
    EXPECT_EQ(ReadLanguageChoice(profile, folder.Path()), c.code) << c.name;
  }
}

TEST(LanguageChoice, SavedTrimmedAndReadBack) {
  FakeProgramFolder folder;
  FakeProfileFile profile(folder);
  SaveLanguageChoice(profile, folder.Path(), "D ");
  EXPECT_EQ(folder.ReadFile(kLanguageChoiceFile), "[Epiloom]\r\nLang=D\r\n");
  EXPECT_EQ(ReadLanguageChoice(profile, folder.Path()), "D ");
  SaveLanguageChoice(profile, folder.Path(), "EN");
  EXPECT_EQ(folder.ReadFile(kLanguageChoiceFile), "[Epiloom]\r\nLang=EN\r\n");
}

TEST(LanguageChoice, InstalledLanguagesNamedByTheLastTwoCharacters) {
  FakeProgramFolder folder;
  for (const char* name : {"Epiloom.lang.EN", "Epiloom.lang.FR", "Epiloom.lang", "epiloom.LANG.de",
                           "Epiloom.lang.EN.bak", "Epiloom.favorite", "Other.lang.IT"}) {
    folder.Put(name, "x");
  }
  EXPECT_EQ(InstalledLanguageCodes(folder), (std::vector<std::string>{"EN", "ak", "FR", "de"}));
}

TEST(LanguageChoice, LowerCaseChoiceLoadsTheUpperCaseFile) {
  FakeProgramFolder folder;
  folder.Put("Epiloom.lang.FR", "[Language]\r\nMy= mes\r\n");
  FakeProfileFile profile(folder);
  EXPECT_EQ(LoadLanguageTexts(profile, folder.Path(), "fr")[TextKey::My], "mes");
  EXPECT_EQ(LoadLanguageTexts(profile, folder.Path(), "D ")[TextKey::My], "my");
}

struct ApplyCase {
  const char* name;
  MainWindowTextState state;
  std::string status;
  std::string settings;
  const char* blacklistLabel;  // nullptr: left unchanged
};

TEST(ApplyLanguageTexts, ComposesTheMainWindowTexts) {
  const ApplyCase cases[] = {
      {"checking version", {0, kCheckingVersion, "", ""},
       "Checking program version and new translations", "Settings for\nmy TV Shows", nullptr},
      {"no connection", {0, kNoConnection, "\nA|/a>S01E01L\n", "\nX\n"},
       "Impossible to connect to Kestrix", "Settings for\nmy TV Shows", nullptr},
      {"unavailable", {0, kSiteUnavailable, "", ""}, "Kestrix website unavailable or in maintenance",
       "Settings for\nmy TV Shows", nullptr},
      {"listed, all watched", {12, kGettingShowList, "\nA|/a>S01E01L\nB|/b>S02E03H\n", "\n"},
       "12 Kestrix Shows available:", "Settings for\nmy 2 TV Shows", nullptr},
      {"listed, some new", {3, kGettingShowList, "\nA|/a>S00E00L\nB|/b>S02E03H\nC|/c>S00E00H\n", "\nX\nY\n"},
       "3 Kestrix Shows available:", "Settings for\nmy 3 TV Shows\n(including 2 new)",
       "Filtering on: 2 blacklisted TV Shows. Click here to manage"},
      {"listed, no favourites", {1, kGettingShowList, "\n", ""}, "1 Kestrix Shows available:",
       "Settings for\nmy TV Shows", nullptr},
  };
  for (const ApplyCase& c : cases) {
    RecordingWindow window;
    ApplyLanguageTexts(window, LanguageTexts(), c.state);
    EXPECT_EQ(window.Text(ids::kStatusLine), c.status) << c.name;
    EXPECT_EQ(window.Text(ids::kSettingsButton), c.settings) << c.name;
    EXPECT_EQ(window.Text(ids::kDownloadButton), "Download\nnewest\nepisodes !") << c.name;
    EXPECT_EQ(window.Text(ids::kAboutLine).substr(0, 30), "This software is free of charg") << c.name;
    EXPECT_EQ(window.HasText(ids::kBlacklistLabel), c.blacklistLabel != nullptr) << c.name;
    if (c.blacklistLabel != nullptr) {
      EXPECT_EQ(window.Text(ids::kBlacklistLabel), c.blacklistLabel) << c.name;
    }
  }
}

TEST(ApplyLanguageTexts, UnknownStatusPhaseLeavesTheStatusLine) {
  RecordingWindow window;
  ApplyLanguageTexts(window, LanguageTexts(), {0, 7, "", ""});
  EXPECT_FALSE(window.HasText(ids::kStatusLine));
}

}  // namespace
}  // namespace epiloom
