// The whole start-up update check on answers from the fuzzer: lastversion.dat,
// languages.dat, the translations and the updater as the server sends them,
// the user's answer and whether the updater starts. Whatever comes, the
// check asks only for files of the update folder, writes only the updater
// this build knows and translations it did not have (never over a file that
// was there), and its result says what it did.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fakes/Fakes.h"
#include "i18n/LanguageTexts.h"
#include "support/Md5.h"
#include "support/ShowListView.h"
#include "update/UpdateCheck.h"

namespace {

using namespace epiloom;

using fuzz::Check;

constexpr char kHost[] = "updates.test";
constexpr char kFolderUrl[] = "http://updates.test/Epiloom/";

std::string Url(std::string_view file) { return kFolderUrl + std::string(file); }

// A name from the update folder that stays there: no path separator, no
// parent step.
bool PlainFileName(std::string_view name) {
  return !name.empty() && name.find_first_of("/\\:") == std::string_view::npos &&
         name.find("..") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string knownUpdater = "MZ known updater";
  const bool yes = input.ConsumeBool();
  const bool launches = input.ConsumeBool();
  const std::string lastVersion = input.ConsumeRandomLengthString(32);
  const std::string updater = input.ConsumeBool() ? knownUpdater : input.ConsumeRandomLengthString(32);
  const std::string languages = input.ConsumeRandomLengthString(64);

  testing::FakeFetcher fetcher;
  fetcher.Serve(Url("lastversion.dat"), lastVersion);
  fetcher.Serve(Url("Epiloom-updater.x"), updater);
  fetcher.Serve(Url("languages.dat"), languages);
  const std::vector<std::string> offered = OfferedLanguageCodes(languages);
  std::map<std::string, std::string> served;  // file name -> body, first served wins
  for (const std::string& code : offered) {
    const std::string name = LanguageFileName(code);
    if (served.count(name)) continue;
    served[name] = input.ConsumeRandomLengthString(64);
    fetcher.Serve(Url(name), served[name]);
  }

  testing::FakeProgramFolder folder;
  // Translations the user already has, and a leftover updater.
  for (const std::string& code : offered) {
    if (input.ConsumeBool()) folder.Put(LanguageFileName(code), "[Language]\r\nMy=mine\r\n");
  }
  if (input.ConsumeBool()) folder.Put(kUpdaterFile, "leftover");
  const std::map<std::string, std::string> before = folder.Files();

  testing::RecordingShowListView recorder;
  WorkerShowListView window(recorder, MakeCancelToken());
  testing::FakeMessageBoxes boxes;
  boxes.AnswerYes(yes);
  std::atomic<int> statusPhase{3};
  std::vector<std::string> added;
  std::vector<std::string> opened;
  UpdateCheckJob job{fetcher,
                     folder,
                     window,
                     boxes,
                     LanguageTexts(),
                     statusPhase,
                     kHost,
                     "V1.6",
                     Md5Hex(knownUpdater),
                     [&](const std::string& code) { added.push_back(code); },
                     [&](const std::string& path) {
                       opened.push_back(path);
                       return launches;
                     }};
  const int result = CheckForUpdates(job);
  Check(result == kNothingToReport || result == kUpdaterLaunched || result == kTranslationsAdded);

  for (const std::string& url : fetcher.requests()) {
    Check(url.starts_with(kFolderUrl) && PlainFileName(std::string_view(url).substr(sizeof kFolderUrl - 1)));
  }

  const bool offeredUpdate = !lastVersion.empty() && IsNewerVersion(LatestVersionLabel(lastVersion), "V1.6");
  const bool launched = offeredUpdate && yes && updater == knownUpdater && launches;
  Check((result == kUpdaterLaunched) == launched);
  Check(opened.size() == (offeredUpdate && yes && updater == knownUpdater ? 1u : 0u));

  const std::map<std::string, std::string> after = folder.Files();
  std::vector<std::string> written;
  for (const auto& [name, content] : after) {
    if (name == kUpdaterFile) {
      Check(launched && content == knownUpdater);
      continue;
    }
    const auto old = before.find(name);
    if (old != before.end()) {
      Check(content == old->second);  // never written over
      continue;
    }
    const auto body = served.find(name);
    // Stored byte for byte, except a leading UTF-8 byte order mark.
    Check(body != served.end() && !content.empty() &&
          (content == body->second || "\xEF\xBB\xBF" + content == body->second));
    written.push_back(name.substr(name.size() - 2));
  }
  // A launched updater ends the check before the translations.
  Check(!launched || written.empty());
  std::vector<std::string> announced = added;
  std::sort(announced.begin(), announced.end());
  std::sort(written.begin(), written.end());
  Check(announced == written);
  if (!launched) Check((result == kTranslationsAdded) == !added.empty());
  return 0;
}
