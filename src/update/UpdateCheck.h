// The start-up check against the maker's update server: a newer version is
// offered and its updater handed over; missing translations are installed.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/LanguageTexts.h"
#include "support/CancelFlag.h"

namespace epiloom {

class MessageBoxes;
class PageFetcher;
class ProgramFolder;
class WorkerShowListView;

// Results of CheckForUpdates.
inline constexpr int kNothingToReport = -1;
inline constexpr int kUpdaterLaunched = 1;
inline constexpr int kTranslationsAdded = -2;

inline constexpr char kUpdaterFile[] = "Epiloomupdt.exe";

// The latest version label of a lastversion.dat body: the text before the
// first ";" (all of it when there is none).
std::string_view LatestVersionLabel(std::string_view body);

// True when `latest` is greater than `own` in unsigned byte order (a prefix
// is smaller than the longer text).
bool IsNewerVersion(std::string_view latest, std::string_view own);

// The language codes of a languages.dat body that are safe to fetch and
// store: the first two characters of each ";"-separated field, kept only
// when both are ASCII letters or digits. Anything else (blanks, dots,
// slashes, colons, control characters) could name another file or URL and
// is skipped.
std::vector<std::string> OfferedLanguageCodes(std::string_view body);

// The error shown when an accepted updater could not be written:
// UpdaterProblem, LF, the updater's full path.
std::string UpdaterProblemNotice(const LanguageTexts& texts, const std::string& updaterPath);

// A translation as it is stored: the server's bytes without a leading UTF-8
// byte order mark.
std::string_view StoredTranslation(std::string_view body);

// The notice shown after translations were installed.
std::string NewTranslationsNotice(const LanguageTexts& texts, const std::string& folderPath);

struct UpdateCheckJob {
  PageFetcher& fetcher;
  ProgramFolder& folder;
  WorkerShowListView& window;  // the main window, writes dropped once abandoned
  MessageBoxes& boxes;   // owned by the main window
  LanguageTexts texts;   // a copy: the window may switch language meanwhile
  std::atomic<int>& statusPhase;
  std::string updateHost;   // "host[:port]"
  std::string ownVersion;   // "V1.6"
  std::string updaterMd5;   // 32 upper-case hex digits
  // Hands a newly installed language code to the window's thread, which
  // appends it to the language menu.
  std::function<void(const std::string& code)> languageAdded;
  // Opens a file of the program's folder with the shell's "open" verb; true
  // when it was launched.
  std::function<bool(const std::string& path)> openFile;
  // False when the folder was found unwritable at start: no translation is
  // fetched (none could be kept) and an accepted updater is reported as not
  // saved without trying.
  bool folderWritable = true;
};

// The worker: returns kNothingToReport, kUpdaterLaunched or kTranslationsAdded.
// kUpdaterLaunched only when openFile started the updater; an updater that
// could not be started shows the Problem notice, is deleted, and the check
// goes on with the translations as if the update had been declined. One
// that could not be written shows UpdaterProblemNotice (error icon) and the
// check goes on the same way. A translation that could not be written is not
// added to the menu; its file is still missing, so the next start fetches it
// again.
int CheckForUpdates(UpdateCheckJob& job);

}  // namespace epiloom
