#include "update/UpdateCheck.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>

#include "fakes/Fakes.h"
#include "support/Md5.h"
#include "support/ShowListView.h"

namespace epiloom {
namespace {

using testing::FakeFetcher;
using testing::FakeMessageBoxes;
using testing::FakeProgramFolder;
using testing::Element;
using testing::RecordingShowListView;

TEST(Md5Hex, KnownDigests) {
  EXPECT_EQ(Md5Hex(""), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(Md5Hex("abc"), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(Md5Hex("message digest"), "F96B697D7CB7938D525A2F31AAF161D0");
  EXPECT_EQ(Md5Hex(std::string("a\0b", 3)), "70350F6027BCE3713F6B76473084309B");
}

TEST(VersionCheck, ComparesLabelsByteByByte) {
  struct Case {
    std::string body;
    bool newer;
  };
  const Case cases[] = {
      {"V1.7;", true},        {"V1.6;", false},  {"V1.5;", false},   {"V1.10;", false},
      {"V2.0;", true},        {"V1.6\r\n", true}, {"V1.6", false},   {"V1.6.1;junk", true},
      {"v1.6;", true},        {";V9.9", false},  {"\xff;", true},    {"V1.6;V9", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNewerVersion(LatestVersionLabel(c.body), "V1.6"), c.newer) << c.body;
  }
}

TEST(LanguagesDat, KeepsOnlyTwoCharacterAlphanumericCodes) {
  struct Case {
    std::string body;
    std::vector<std::string> codes;
  };
  const Case cases[] = {
      {"EN;FR;DE", {"EN", "FR", "DE"}},
      {"EN;FR;DE\r\n", {"EN", "FR", "DE"}},
      {"EN;FR;\r\n", {"EN", "FR"}},
      {"ENG;fr1;x;;", {"EN", "fr"}},
      {"..;/x;\\a;C:; E;\n;\tX", {}},
      {"E\x01;\x80\x81", {}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(OfferedLanguageCodes(c.body), c.codes) << c.body;
}

class CheckForUpdatesTest : public ::testing::Test {
 protected:
  static constexpr char kHost[] = "updates.test:81";
  static std::string Url(const std::string& file) { return std::string("http://") + kHost + "/Epiloom/" + file; }

  int Run() {
    UpdateCheckJob job{fetcher,
                       folder,
                       window,
                       boxes,
                       LanguageTexts(),
                       statusPhase,
                       kHost,
                       "V1.6",
                       Md5Hex(updater),
                       [this](const std::string& code) { added.push_back(code); },
                       [this](const std::string& path) {
                         opened.push_back(path);
                         return launches;
                       },
                       folderWritable};
    return CheckForUpdates(job);
  }

  FakeFetcher fetcher;
  FakeProgramFolder folder;
  RecordingShowListView recorder;
  WorkerShowListView window{recorder, MakeCancelToken()};
  FakeMessageBoxes boxes;
  std::atomic<int> statusPhase{3};
  std::string updater = std::string("MZ\0updater", 10);
  std::vector<std::string> added;
  std::vector<std::string> opened;
  bool launches = true;  // what opening the updater answers
  bool folderWritable = true;  // what the probe at start found
};

TEST_F(CheckForUpdatesTest, ServerDownReportsNothingAndDeletesLeftoverUpdater) {
  folder.Put(kUpdaterFile, "old");
  EXPECT_EQ(Run(), kNothingToReport);
  EXPECT_FALSE(folder.Exists(kUpdaterFile));
  EXPECT_EQ(statusPhase, 0);
  EXPECT_EQ(recorder.Text(Element::StatusLine), "Checking program version and new translations");
  EXPECT_TRUE(recorder.Visible(Element::Spinner));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(fetcher.requests(), (std::vector<std::string>{Url("lastversion.dat"), Url("languages.dat")}));
}

TEST_F(CheckForUpdatesTest, AcceptedUpdaterWithRightDigestIsStoredAndOpened) {
  fetcher.Serve(Url("lastversion.dat"), "V1.7;");
  fetcher.Serve(Url("Epiloom-updater.x"), updater);
  fetcher.Serve(Url("languages.dat"), "EN;FR");
  boxes.AnswerYes(true);
  EXPECT_EQ(Run(), kUpdaterLaunched);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_TRUE(boxes.shown()[0].question);
  EXPECT_EQ(boxes.shown()[0].text, "There is a new version of the program available\nDownload it now ?");
  EXPECT_EQ(folder.ReadFile(kUpdaterFile), updater);
  EXPECT_EQ(opened, (std::vector<std::string>{folder.Path() + kUpdaterFile}));
  EXPECT_FALSE(recorder.Visible(Element::UpdateProgress));
  // No translations are looked for in a run that hands over.
  EXPECT_EQ(fetcher.requests().size(), 2u);
}

TEST_F(CheckForUpdatesTest, WrongDigestShowsProblemAndWritesNothing) {
  fetcher.Serve(Url("lastversion.dat"), "V2.0;");
  fetcher.Serve(Url("Epiloom-updater.x"), updater + "x");
  boxes.AnswerYes(true);
  EXPECT_EQ(Run(), kNothingToReport);
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[1].text, "Connection problem");
  EXPECT_EQ(boxes.shown()[1].kind, NoticeKind::Error);
  EXPECT_FALSE(folder.Exists(kUpdaterFile));
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(fetcher.requests().back(), Url("languages.dat"));
}

TEST_F(CheckForUpdatesTest, DeclinedUpdateStillInstallsMissingTranslations) {
  fetcher.Serve(Url("lastversion.dat"), "V1.7;");
  fetcher.Serve(Url("languages.dat"), "EN;FR;DE");
  fetcher.Serve(Url("Epiloom.lang.FR"), "[Language]\r\nMy= mes\r\n");
  fetcher.Serve(Url("Epiloom.lang.DE"), std::string("\0bin", 4));
  folder.Put("Epiloom.lang.EN", "en");
  EXPECT_EQ(Run(), kTranslationsAdded);
  EXPECT_EQ(added, (std::vector<std::string>{"FR", "DE"}));
  EXPECT_EQ(folder.ReadFile("Epiloom.lang.DE"), std::string("\0bin", 4));
  EXPECT_EQ(folder.ReadFile("Epiloom.lang.EN"), "en");

  // A second run finds every file present and fetches no translation.
  added.clear();
  EXPECT_EQ(Run(), kNothingToReport);
  EXPECT_TRUE(added.empty());
}

// An updater that the shell could not start: the Problem notice, and the check
// goes on as if the update had been declined.
struct LaunchFailureCase {
  const char* label;
  std::string languages;  // languages.dat; empty: not served
  int result;
  std::vector<std::string> added;
};
void PrintTo(const LaunchFailureCase& c, std::ostream* os) { *os << c.label; }

class UpdaterLaunchFails : public CheckForUpdatesTest, public ::testing::WithParamInterface<LaunchFailureCase> {};

TEST_P(UpdaterLaunchFails, ShowsProblemAndGoesOnWithTheTranslations) {
  const LaunchFailureCase& c = GetParam();
  fetcher.Serve(Url("lastversion.dat"), "V1.7;");
  fetcher.Serve(Url("Epiloom-updater.x"), updater);
  if (!c.languages.empty()) fetcher.Serve(Url("languages.dat"), c.languages);
  fetcher.Serve(Url("Epiloom.lang.FR"), "[Language]\r\n");
  folder.Put("Epiloom.lang.EN", "en");
  boxes.AnswerYes(true);
  launches = false;

  EXPECT_EQ(Run(), c.result);
  EXPECT_EQ(opened, (std::vector<std::string>{folder.Path() + kUpdaterFile}));
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_TRUE(boxes.shown()[0].question);
  EXPECT_FALSE(boxes.shown()[1].question);
  EXPECT_EQ(boxes.shown()[1].text, "Connection problem");
  EXPECT_EQ(boxes.shown()[1].kind, NoticeKind::Error);
  EXPECT_FALSE(folder.Exists(kUpdaterFile));
  EXPECT_EQ(added, c.added);
  EXPECT_EQ(fetcher.requests().at(2), Url("languages.dat"));
}

INSTANTIATE_TEST_SUITE_P(Translations, UpdaterLaunchFails,
                         ::testing::Values(LaunchFailureCase{"NoLanguageList", "", kNothingToReport, {}},
                                           LaunchFailureCase{"NothingMissing", "EN", kNothingToReport, {}},
                                           LaunchFailureCase{"OneMissing", "EN;FR", kTranslationsAdded, {"FR"}}),
                         [](const auto& param) { return std::string(param.param.label); });

TEST_F(CheckForUpdatesTest, WritesCutShortLeaveNoUpdaterAndNoTranslation) {
  fetcher.Serve(Url("lastversion.dat"), "V1.7;");
  fetcher.Serve(Url("Epiloom-updater.x"), updater);
  fetcher.Serve(Url("languages.dat"), "FR");
  fetcher.Serve(Url("Epiloom.lang.FR"), "[Language]\r\nMy= mes\r\n");
  boxes.AnswerYes(true);
  folder.CutWritesAfter(4);  // killed while writing, or the disk is full
  EXPECT_EQ(Run(), kNothingToReport);
  EXPECT_FALSE(folder.Exists(kUpdaterFile));
  EXPECT_TRUE(opened.empty());
  EXPECT_FALSE(folder.Exists("Epiloom.lang.FR"));
  EXPECT_TRUE(added.empty());

  // No cut translation counts as present: the next run fetches it again.
  folder.CutWritesAfter(std::numeric_limits<std::size_t>::max());
  boxes.AnswerYes(false);
  EXPECT_EQ(Run(), kTranslationsAdded);
  EXPECT_EQ(added, std::vector<std::string>{"FR"});
  EXPECT_EQ(folder.ReadFile("Epiloom.lang.FR"), "[Language]\r\nMy= mes\r\n");
  EXPECT_FALSE(folder.Exists(kUpdaterFile));
}

// An accepted updater with the right digest that could not be written: named
// in an error box, and the check goes on as after a digest mismatch.
struct UnsavedUpdaterCase {
  const char* label;
  bool folderWritable;        // the probe's answer at start
  bool held;                  // the updater's file cannot be written
  std::size_t cutAfter;       // writes stop after this many bytes
  int result;
  std::vector<std::string> added;
};
void PrintTo(const UnsavedUpdaterCase& c, std::ostream* os) { *os << c.label; }

class UpdaterNotSaved : public CheckForUpdatesTest, public ::testing::WithParamInterface<UnsavedUpdaterCase> {};

TEST_P(UpdaterNotSaved, IsReportedAndTheCheckGoesOn) {
  const UnsavedUpdaterCase& c = GetParam();
  fetcher.Serve(Url("lastversion.dat"), "V1.7;");
  fetcher.Serve(Url("Epiloom-updater.x"), updater);
  fetcher.Serve(Url("languages.dat"), "EN;FR");
  fetcher.Serve(Url("Epiloom.lang.FR"), "[Language]\r\n");
  folder.Put("Epiloom.lang.EN", "en");
  folderWritable = c.folderWritable;
  if (c.held) folder.FailWritesOf(kUpdaterFile);
  folder.CutWritesAfter(c.cutAfter);
  boxes.AnswerYes(true);

  EXPECT_EQ(Run(), c.result);
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_TRUE(boxes.shown()[0].question);
  EXPECT_EQ(boxes.shown()[1].text,
            "The new version could not be saved. It will be offered again at the next start:\n" + folder.Path() +
                "Epiloomupdt.exe");
  EXPECT_EQ(boxes.shown()[1].kind, NoticeKind::Error);
  EXPECT_FALSE(boxes.shown()[1].question);
  EXPECT_FALSE(folder.Exists(kUpdaterFile));
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(added, c.added);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, UpdaterNotSaved,
    ::testing::Values(
        UnsavedUpdaterCase{"HeldByAnotherProgram", true, true, std::numeric_limits<std::size_t>::max(),
                           kTranslationsAdded, {"FR"}},
        UnsavedUpdaterCase{"DiskFull", true, false, 4, kNothingToReport, {}},
        UnsavedUpdaterCase{"FolderFoundUnwritableAtStart", false, false, std::numeric_limits<std::size_t>::max(),
                           kNothingToReport, {}}),
    [](const auto& param) { return std::string(param.param.label); });

TEST_F(CheckForUpdatesTest, UnwritableFolderTriesNoWriteAndFetchesNoTranslation) {
  fetcher.Serve(Url("lastversion.dat"), "V1.7;");
  fetcher.Serve(Url("Epiloom-updater.x"), updater);
  fetcher.Serve(Url("languages.dat"), "FR");
  fetcher.Serve(Url("Epiloom.lang.FR"), "[Language]\r\n");
  folderWritable = false;
  boxes.AnswerYes(true);
  EXPECT_EQ(Run(), kNothingToReport);
  EXPECT_EQ(folder.writes(), 0);
  EXPECT_TRUE(added.empty());
  EXPECT_EQ(fetcher.requests(), (std::vector<std::string>{Url("lastversion.dat"), Url("Epiloom-updater.x")}));
}

TEST_F(CheckForUpdatesTest, TranslationsAreStoredWithoutAByteOrderMark) {
  fetcher.Serve(Url("languages.dat"), "FR;DE;IT");
  fetcher.Serve(Url("Epiloom.lang.FR"), "\xEF\xBB\xBF[Language]\r\nMy= mes\r\n");
  fetcher.Serve(Url("Epiloom.lang.DE"), "[Language]\r\nMy= \xEF\xBB\xBF\r\n");  // a mark inside stays
  fetcher.Serve(Url("Epiloom.lang.IT"), "\xEF\xBB\xBF");  // nothing but the mark: nothing to store
  EXPECT_EQ(Run(), kTranslationsAdded);
  EXPECT_EQ(added, (std::vector<std::string>{"FR", "DE"}));
  EXPECT_EQ(folder.ReadFile("Epiloom.lang.FR"), "[Language]\r\nMy= mes\r\n");
  EXPECT_EQ(folder.ReadFile("Epiloom.lang.DE"), "[Language]\r\nMy= \xEF\xBB\xBF\r\n");
  EXPECT_FALSE(folder.Exists("Epiloom.lang.IT"));
}

TEST_F(CheckForUpdatesTest, TranslationNotWrittenIsFetchedAgainNextStart) {
  fetcher.Serve(Url("languages.dat"), "FR;DE");
  fetcher.Serve(Url("Epiloom.lang.FR"), "[Language]\r\nMy= mes\r\n");
  fetcher.Serve(Url("Epiloom.lang.DE"), "[Language]\r\nMy= meine\r\n");
  folder.FailWritesOf("Epiloom.lang.FR");
  EXPECT_EQ(Run(), kTranslationsAdded);
  EXPECT_EQ(added, std::vector<std::string>{"DE"});  // not offered: it is not there
  EXPECT_FALSE(folder.Exists("Epiloom.lang.FR"));
  EXPECT_TRUE(boxes.shown().empty());

  folder.FailWritesOf("");
  added.clear();
  EXPECT_EQ(Run(), kTranslationsAdded);
  EXPECT_EQ(added, std::vector<std::string>{"FR"});
  EXPECT_EQ(folder.ReadFile("Epiloom.lang.FR"), "[Language]\r\nMy= mes\r\n");
}

TEST_F(CheckForUpdatesTest, HostileLanguageListWritesNothing) {
  fetcher.Serve(Url("languages.dat"), "..;/x;\\a;C:; ;\r\n;");
  for (const char* name : {"..", "/x", "\\a", "C:", " ", "\r\n"}) fetcher.Serve(Url(std::string("Epiloom.lang.") + name), "x");
  EXPECT_EQ(Run(), kNothingToReport);
  EXPECT_EQ(folder.writes(), 0);
  EXPECT_EQ(fetcher.requests().size(), 2u);
}

TEST_F(CheckForUpdatesTest, AbandonedCheckWritesNothing) {
  fetcher.Serve(Url("languages.dat"), "FR");
  fetcher.Serve(Url("Epiloom.lang.FR"), "x");
  WorkerShowListView abandoned(recorder, MakeCancelToken());
  abandoned.cancel()->Raise();
  UpdateCheckJob job{fetcher,
                     folder,
                     abandoned,
                     boxes,
                     LanguageTexts(),
                     statusPhase,
                     kHost,
                     "V1.6",
                     "",
                     [this](const std::string& code) { added.push_back(code); },
                     [this](const std::string& path) {
                       opened.push_back(path);
                       return true;
                     }};
  EXPECT_EQ(CheckForUpdates(job), kNothingToReport);
  EXPECT_EQ(folder.writes(), 0);
  EXPECT_TRUE(added.empty());
  EXPECT_TRUE(recorder.log().empty());
}

TEST(NewTranslationsNotice, JoinsTheThreeTextsAndTheFolder) {
  EXPECT_EQ(NewTranslationsNotice(LanguageTexts(), "C:\\Shows\\"),
            "New languages are available for the program !\n\nThey have been automatically downloaded in "
            "C:\\Shows\\\n\nYou can find them by simple cliking on the 'Language' icon at the top-right corner "
            "of this window");
}

}  // namespace
}  // namespace epiloom
