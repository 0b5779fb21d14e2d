#include "i18n/LanguageChoice.h"

#include "app/MainWindowIds.h"
#include "i18n/ProfileFile.h"
#include "store/Counters.h"
#include "support/ProgramFolder.h"
#include "support/TextUtil.h"
#include "support/WindowControls.h"

namespace epiloom {
namespace {

constexpr char kChoiceSection[] = "Epiloom";
constexpr char kChoiceKey[] = "Lang";
constexpr char kDefaultLanguage[] = "EN";

// Entries of an LF-framed list: its line feeds minus one.
int EntryCount(std::string_view lfList) { return static_cast<int>(CountOccurrences(lfList, "\n")) - 1; }

}  // namespace

std::string MakeLanguageCode(std::string_view value) {
  std::string code(value.substr(0, 2));
  code.resize(2, ' ');
  return code;
}

std::string ReadLanguageChoice(const ProfileFile& profile, const std::string& folderPath) {
  const std::string value = profile.ReadString(folderPath + kLanguageChoiceFile, kChoiceSection, kChoiceKey,
                                               kDefaultLanguage);
  return MakeLanguageCode(TrimBlanks(value));
}

void SaveLanguageChoice(ProfileFile& profile, const std::string& folderPath, std::string_view code) {
  profile.WriteString(folderPath + kLanguageChoiceFile, kChoiceSection, kChoiceKey, std::string(TrimBlanks(code)));
}

std::vector<std::string> InstalledLanguageCodes(const ProgramFolder& folder) {
  std::vector<std::string> codes;
  for (const std::string& name : folder.ListFiles(LanguageFileName("*"))) {
    if (name == "Epiloom.lang" || name.size() < 2) continue;
    codes.push_back(name.substr(name.size() - 2));
  }
  return codes;
}

LanguageTexts LoadLanguageTexts(const ProfileFile& profile, const std::string& folderPath, std::string_view code) {
  return ReadLanguageTexts(profile, folderPath + LanguageFileName(code));
}

std::string DownloadButtonText(const LanguageTexts& texts) {
  return texts[TextKey::Download1] + "\n" + texts[TextKey::Download2] + "\n" + texts[TextKey::Download3];
}

std::string AboutLineText(const LanguageTexts& texts) {
  return texts[TextKey::About1] + "\n" + texts[TextKey::About2];
}

std::string ShowCountText(const LanguageTexts& texts, int listedShows) {
  return ToDecimal(listedShows) + " " + texts[TextKey::Available];
}

void ApplyLanguageTexts(WindowControls& window, const LanguageTexts& texts, const MainWindowTextState& state) {
  if (state.listedShows == 0) {
    static constexpr TextKey kPhaseTexts[] = {TextKey::CheckNewVersion, TextKey::Populate, TextKey::InternetError,
                                              TextKey::Unavailable};
    if (state.statusPhase >= 0 && state.statusPhase <= 3) {
      window.SetText(ids::kStatusLine, texts[kPhaseTexts[state.statusPhase]]);
    }
    window.SetText(ids::kSettingsButton, SettingsButtonText(texts, 0, 0));
  } else {
    window.SetText(ids::kStatusLine, ShowCountText(texts, state.listedShows));
    const int favorites = EntryCount(state.favoritesText);
    const int unwatched = static_cast<int>(CountOccurrences(state.favoritesText, "S00E00"));
    window.SetText(ids::kSettingsButton, SettingsButtonText(texts, favorites, unwatched));
    const int blacklisted = EntryCount(state.blacklistText);
    if (blacklisted > 0) window.SetText(ids::kBlacklistLabel, BlacklistLabelText(texts, blacklisted));
  }
  window.SetText(ids::kDownloadButton, DownloadButtonText(texts));
  window.SetText(ids::kAboutLine, AboutLineText(texts));
}

}  // namespace epiloom
