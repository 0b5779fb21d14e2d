#include "update/UpdateCheck.h"

#include <cctype>

#include "i18n/LanguageChoice.h"
#include "i18n/MainWindowTexts.h"
#include "i18n/ProfileText.h"
#include "site/PageFetcher.h"
#include "support/Md5.h"
#include "support/MessageBoxes.h"
#include "support/ProgramFolder.h"
#include "support/ShowListView.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

// The progress bar shown while the updater downloads (it does not advance).
constexpr int kUpdateBarMaximum = 66561;
constexpr int kUpdateBarStep = 1024;

constexpr char kCaption[] = "Epiloom";

bool IsCodeCharacter(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 128 && std::isalnum(byte);
}

std::string ServerUrl(const UpdateCheckJob& job, std::string_view file) {
  return "http://" + job.updateHost + "/Epiloom/" + std::string(file);
}

void ShowProblem(UpdateCheckJob& job) {
  job.boxes.Notify(kCaption, std::string(TrimBlanks(job.texts[TextKey::Problem])), NoticeKind::Error);
}

// Offers the newer version and hands over to its updater. True when the
// updater was stored and launched.
bool OfferNewVersion(UpdateCheckJob& job) {
  const std::string body = job.fetcher.URLDownloadToString(ServerUrl(job, "lastversion.dat"));
  if (body.empty() || job.window.Abandoned()) return false;
  if (!IsNewerVersion(LatestVersionLabel(body), job.ownVersion)) return false;

  const std::string question = job.texts[TextKey::NewVersion1] + "\n" + job.texts[TextKey::NewVersion2];
  if (!job.boxes.AskYesNo(kCaption, question)) return false;

  job.window.ShowUpdateProgress(kUpdateBarMaximum, kUpdateBarStep);
  const std::string updater = job.fetcher.URLDownloadToString(ServerUrl(job, "Epiloom-updater.x"));
  job.window.HideUpdateProgress();
  if (job.window.Abandoned()) return false;

  // Only the one updater whose digest this build knows is ever stored.
  if (updater.empty() || Md5Hex(updater) != job.updaterMd5) {
    ShowProblem(job);
    return false;
  }
  // Written whole or not at all: a run killed while writing leaves no cut
  // updater behind.
  job.folder.RemoveFile(kUpdaterFile);
  if (!job.folderWritable || !job.folder.ReplaceWholeFile(kUpdaterFile, updater)) {
    // Not silent: the user asked for it. The run goes on as after a
    // digest that did not match.
    job.boxes.Notify(kCaption, UpdaterProblemNotice(job.texts, job.folder.Path() + kUpdaterFile), NoticeKind::Error);
    return false;
  }
  if (!job.openFile(job.folder.Path() + kUpdaterFile)) {
    // The program goes on as if the update had been declined, without the
    // updater that did not start.
    ShowProblem(job);
    job.folder.RemoveFile(kUpdaterFile);
    return false;
  }
  return true;
}

}  // namespace

std::string_view LatestVersionLabel(std::string_view body) { return body.substr(0, body.find(';')); }

bool IsNewerVersion(std::string_view latest, std::string_view own) {
  const std::size_t common = std::min(latest.size(), own.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto a = static_cast<unsigned char>(latest[i]);
    const auto b = static_cast<unsigned char>(own[i]);
    if (a != b) return a > b;
  }
  return latest.size() > own.size();
}

std::vector<std::string> OfferedLanguageCodes(std::string_view body) {
  std::vector<std::string> codes;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = body.find(';', start);
    const std::string_view field = body.substr(start, end == std::string_view::npos ? end : end - start);
    if (field.size() >= 2 && IsCodeCharacter(field[0]) && IsCodeCharacter(field[1])) {
      codes.emplace_back(field.substr(0, 2));
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return codes;
}

std::string UpdaterProblemNotice(const LanguageTexts& texts, const std::string& updaterPath) {
  return texts[TextKey::UpdaterProblem] + "\n" + updaterPath;
}

std::string_view StoredTranslation(std::string_view body) { return WithoutByteOrderMark(body); }

std::string NewTranslationsNotice(const LanguageTexts& texts, const std::string& folderPath) {
  return texts[TextKey::LabelNewLng1] + "\n\n" + texts[TextKey::LabelNewLng2] + " " + folderPath + "\n\n" +
         texts[TextKey::LabelNewLng3];
}

int CheckForUpdates(UpdateCheckJob& job) {
  if (job.window.Abandoned()) return kNothingToReport;
  job.statusPhase = kCheckingVersion;
  job.window.SetStatusText(job.texts[TextKey::CheckNewVersion]);
  job.window.ShowSpinner(true);

  // A leftover updater from an earlier run; one still running stays.
  job.folder.RemoveFile(kUpdaterFile);
  if (OfferNewVersion(job)) return kUpdaterLaunched;

  int result = kNothingToReport;
  // Nothing fetched could be kept: the next start from a folder that can
  // be written fetches the translations.
  if (!job.folderWritable) return result;
  const std::string offered = job.fetcher.URLDownloadToString(ServerUrl(job, "languages.dat"));
  for (const std::string& code : OfferedLanguageCodes(offered)) {
    if (job.window.Abandoned()) break;
    const std::string fileName = LanguageFileName(code);
    // Translations already present are never fetched again.
    if (job.folder.Exists(fileName)) continue;
    const std::string body = job.fetcher.URLDownloadToString(ServerUrl(job, fileName));
    // Without a byte order mark, as the program writes its own language file.
    const std::string_view translation = StoredTranslation(body);
    if (translation.empty() || job.window.Abandoned()) continue;
    // Written whole or not at all: a cut file would count as present and
    // never be fetched again.
    if (!job.folder.ReplaceWholeFile(fileName, translation)) continue;
    job.languageAdded(code);
    result = kTranslationsAdded;
  }
  return result;
}

}  // namespace epiloom
