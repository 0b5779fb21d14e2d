#include "i18n/LanguageTexts.h"

#include <gtest/gtest.h>

#include <limits>

#include "fakes/Fakes.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

using testing::FakeProfileFile;
using testing::FakeProgramFolder;

constexpr char kEmail[] = "epiloom.ardmoor@example.org";

TEST(DefaultLanguageFile, HasHeaderAndOneCrLfLinePerKeyInKeyOrder) {
  const std::string content = DefaultLanguageFileContent();
  EXPECT_EQ(CountOccurrences(content, "\r\n"), 68u);
  EXPECT_EQ(CountOccurrences(content, "\n"), 68u);  // no lone LF
  EXPECT_EQ(content.substr(0, 12), "[Language]\r\n");
  EXPECT_EQ(content.substr(content.size() - 2), "\r\n");
  EXPECT_NE(content.find("\r\nCheckNewVersion= Checking program version and new translations\r\nNewVersion1= "),
            std::string::npos);
  EXPECT_NE(content.find("\r\nInc = (including\r\nNew= new)\r\n"), std::string::npos);
  EXPECT_NE(content.find("LabelNewLng3= You can find them by simple clicking on"), std::string::npos);
  EXPECT_NE(content.find(std::string("\r\nAbout2= A bug to report ? A contribution to make (translation) ? "
                                     "Contact me at ") + kEmail + "\r\nAutoClose= Closing in\r\n"),
            std::string::npos);
  EXPECT_NE(content.find("\r\nAutoClose= Closing in\r\nReadOnlyFolder1= Epiloom cannot write in its folder:\r\n"),
            std::string::npos);
  EXPECT_TRUE(content.ends_with("\r\nLaunchProblem2= Their shortcuts stay in this folder; open them once a torrent "
                                "client takes magnet links:\r\n"));
}

TEST(DefaultLanguageFile, WrittenOnlyWhenMissing) {
  FakeProgramFolder folder;
  WriteDefaultLanguageFile(folder);
  EXPECT_EQ(folder.ReadFile("Epiloom.lang.EN"), DefaultLanguageFileContent());

  folder.Put("Epiloom.lang.EN", "[Language]\r\nMy= edited\r\n");
  WriteDefaultLanguageFile(folder);
  EXPECT_EQ(folder.ReadFile("Epiloom.lang.EN"), "[Language]\r\nMy= edited\r\n");
}

TEST(DefaultLanguageFile, AWriteCutShortLeavesNoFileAndTheNextStartWritesItWhole) {
  FakeProgramFolder folder;
  folder.CutWritesAfter(100);  // killed while writing, or the disk is full
  WriteDefaultLanguageFile(folder);
  EXPECT_FALSE(folder.Exists("Epiloom.lang.EN"));
  EXPECT_EQ(folder.Files().size(), 0u);

  folder.CutWritesAfter(std::numeric_limits<std::size_t>::max());
  WriteDefaultLanguageFile(folder);
  EXPECT_EQ(folder.ReadFile("Epiloom.lang.EN"), DefaultLanguageFileContent());
}

TEST(DefaultLanguageFile, UnwritableFolderIsNotAnError) {
  FakeProgramFolder folder;
  folder.SetWritable(false);
  EXPECT_FALSE(WriteDefaultLanguageFile(folder));
  EXPECT_FALSE(folder.Exists("Epiloom.lang.EN"));
}

TEST(BuiltInTexts, MisspellingAndAddressKept) {
  EXPECT_EQ(BuiltInText(TextKey::LabelNewLng3),
            "You can find them by simple cliking on the 'Language' icon at the top-right corner of this window");
  EXPECT_EQ(BuiltInText(TextKey::About1),
            std::string("This software is free of charge but I accept PayPal donations to ") + kEmail);
  EXPECT_EQ(KeyName(TextKey::LastEpisodeWatched3), "LastEpisodeWatched3");
  EXPECT_EQ(KeyName(TextKey::AutoClose), "AutoClose");
}

struct ReadCase {
  const char* name;
  std::string fileLine;  // a line of the language file
  TextKey key;
  std::string expected;
};

class ReadLanguageTextTest : public ::testing::TestWithParam<ReadCase> {};

// Each case as the program writes a file (CR LF) and as translators save
// one: LF-only lines, a leading UTF-8 byte order mark, or both.
TEST_P(ReadLanguageTextTest, FollowsTheProfileAndAddressRules) {
  const ReadCase& c = GetParam();
  for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
    for (const std::string end : {"\r\n", "\n"}) {
      const std::string content = mark + "[Language]" + end + c.fileLine + end + "My= mine" + end;
      EXPECT_EQ(ReadLanguageText(content, c.key), c.expected)
          << (mark.empty() ? "no mark" : "byte order mark") << ", " << (end.size() == 2 ? "CR LF" : "LF");
    }
  }
}

const std::string k300(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadLanguageTextTest,
    ::testing::Values(
        ReadCase{"LowerCaseKeyWithBlanks", "  remove2  =   some text  ", TextKey::Remove2, "some text"},
        ReadCase{"MissingKeyGivesBuiltIn", "Remove1= x", TextKey::Remove2,
                 "This TV Show will no longer appear in the list"},
        ReadCase{"EmptyValueStaysEmpty", "Remove2=", TextKey::Remove2, ""},
        ReadCase{"LongValueCutTo259", "Remove2=" + k300, TextKey::Remove2, std::string(259, 'x')},
        ReadCase{"IncWithBlank", "Inc = (y compris", TextKey::Inc, "(y compris"},
        ReadCase{"IncWithoutBlank", "Inc=(y compris", TextKey::Inc, "(y compris"},
        ReadCase{"TabsAreNotTrimmedByTheProgram", "Remove2=\"\tquoted \"", TextKey::Remove2, "\tquoted"},
        ReadCase{"About1WithAddressTranslated", std::string("About1= Gratuit, dons a ") + kEmail + " ",
                 TextKey::About1, std::string("Gratuit, dons a ") + kEmail},
        ReadCase{"About1WithoutAddressGivesBuiltIn", "About1= Gratuit", TextKey::About1,
                 std::string("This software is free of charge but I accept PayPal donations to ") + kEmail},
        ReadCase{"About2WithoutAddressGivesFixedText", "About2= Un bug ?", TextKey::About2,
                 std::string("A bug to report? A contribution to make (translation)? Contact me at ") + kEmail},
        ReadCase{"About2WithAddressTranslated", std::string("About2=Un bug ? ") + kEmail, TextKey::About2,
                 std::string("Un bug ? ") + kEmail}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ReadLanguageTexts, MissingFileGivesEveryBuiltInText) {
  const LanguageTexts texts = ReadLanguageTexts(std::nullopt);
  for (std::size_t i = 0; i < kTextKeyCount; ++i) {
    const auto key = static_cast<TextKey>(i);
    EXPECT_EQ(texts[key], BuiltInText(key)) << KeyName(key);
  }
}

TEST(ReadLanguageTexts, DefaultFileReadsBackAsBuiltInsExceptTheSpelling) {
  FakeProgramFolder folder;
  WriteDefaultLanguageFile(folder);
  const LanguageTexts texts = ReadLanguageTexts(folder.ReadFile("Epiloom.lang.EN"));
  for (std::size_t i = 0; i < kTextKeyCount; ++i) {
    const auto key = static_cast<TextKey>(i);
    if (key == TextKey::LabelNewLng3) continue;
    EXPECT_EQ(texts[key], BuiltInText(key)) << KeyName(key);
  }
  EXPECT_NE(texts[TextKey::LabelNewLng3].find("clicking"), std::string::npos);
}

}  // namespace
}  // namespace epiloom
