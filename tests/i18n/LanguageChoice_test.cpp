#include "i18n/LanguageChoice.h"

#include <gtest/gtest.h>

#include "fakes/Fakes.h"

namespace epiloom {
namespace {

using testing::FakeProfileFile;
using testing::FakeProgramFolder;

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
  EXPECT_EQ(LoadLanguageTexts(folder, "fr")[TextKey::My], "mes");
  EXPECT_EQ(LoadLanguageTexts(folder, "D ")[TextKey::My], "my");
}

TEST(LanguageChoice, TranslationSavedWithAByteOrderMarkLoads) {
  FakeProgramFolder folder;
  folder.Put("Epiloom.lang.FR", "\xEF\xBB\xBF[Language]\r\nMy= mes\r\nInc = (y compris\r\n");
  const LanguageTexts texts = LoadLanguageTexts(folder, "FR");
  EXPECT_EQ(texts[TextKey::My], "mes");
  EXPECT_EQ(texts[TextKey::Inc], "(y compris");
}

}  // namespace
}  // namespace epiloom
