#include "i18n/MainWindowTexts.h"

#include "support/ShowListView.h"
#include "support/TextUtil.h"

namespace epiloom {

std::string ShowCountText(const LanguageTexts& texts, int listedShows) {
  return ToDecimal(listedShows) + " " + texts[TextKey::Available];
}

std::string SettingsButtonText(const LanguageTexts& texts, int favorites, int unwatched) {
  std::string text = texts[TextKey::Param2] + "\n" + texts[TextKey::My] + " ";
  if (favorites > 0) text += ToDecimal(favorites) + " ";
  text += texts[TextKey::TVShows];
  if (favorites > 0 && unwatched > 0) {
    text += "\n" + texts[TextKey::Inc] + " " + ToDecimal(unwatched) + " " + texts[TextKey::New];
  }
  return text;
}

std::string BlacklistLabelText(const LanguageTexts& texts, int blacklisted) {
  if (blacklisted <= 0) return {};
  return texts[TextKey::Filtering1] + " " + ToDecimal(blacklisted) + " " + texts[TextKey::Filtering2];
}

std::string DownloadButtonText(const LanguageTexts& texts) {
  return texts[TextKey::Download1] + "\n" + texts[TextKey::Download2] + "\n" + texts[TextKey::Download3];
}

std::string AboutLineText(const LanguageTexts& texts) {
  return texts[TextKey::About1] + "\n" + texts[TextKey::About2];
}

void ApplyLanguageTexts(ShowListView& window, const LanguageTexts& texts, int statusPhase) {
  if (window.ListedShowCount() == 0) {
    static constexpr TextKey kPhaseTexts[] = {TextKey::CheckNewVersion, TextKey::Populate, TextKey::InternetError,
                                              TextKey::Unavailable};
    if (statusPhase >= 0 && statusPhase <= 3) window.SetStatusText(texts[kPhaseTexts[statusPhase]]);
    window.SetSettingsButtonText(SettingsButtonText(texts, 0, 0));
  }
  window.SetDownloadButtonText(DownloadButtonText(texts));
  window.SetAboutLineText(AboutLineText(texts));
}

}  // namespace epiloom
