#include "store/Counters.h"

#include <mutex>
#include <optional>

#include "i18n/MainWindowTexts.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

// What RefreshCounters has to write, decided under the lock.
struct CounterWrites {
  std::optional<std::string> status;
  std::optional<std::string> settings;
  std::optional<bool> episodeButtons;
  std::optional<std::string> blacklist;
  std::optional<bool> blacklistLabel;
};

// Remembers a count and its text; true when either changed.
bool Changed(int& shownCount, std::string& shownText, int count, const std::string& text) {
  if (count == shownCount && text == shownText) return false;
  shownCount = count;
  shownText = text;
  return true;
}

}  // namespace

void RefreshCounters(ShowStore& store, ShowListView& window, const LanguageTexts& texts,
                     const CancelFlag* cancel) {
  const int listed = window.ListedShowCount();
  CounterWrites writes;
  {
    std::lock_guard lock(store.mutex);
    if (cancel != nullptr && cancel->Raised()) return;
    ShownCounts& shown = store.shownCounts;
    const std::string status = ShowCountText(texts, listed);
    if (Changed(shown.listedShows, shown.statusText, listed, status)) writes.status = status;

    const int f = FavoriteCount(store.lists.favoritesText);
    const int n = UnwatchedCount(store.lists.favoritesText);
    const std::string settings = SettingsButtonText(texts, f, n);
    // The never-watched count only shows beside favourites; a change of it
    // alone still counts as a change.
    if (Changed(shown.favorites, shown.settingsText, f, settings) || n != shown.unwatchedFavorites) {
      shown.unwatchedFavorites = n;
      writes.settings = settings;
      writes.episodeButtons = f > 0;
    }

    const int b = BlacklistCount(store.lists.blacklistText);
    const std::string label = BlacklistLabelText(texts, b);
    if (Changed(shown.blacklisted, shown.blacklistText, b, label)) {
      writes.blacklist = label;
      writes.blacklistLabel = b > 0;
    }
  }

  if (writes.status) window.SetStatusText(*writes.status);
  if (writes.settings) {
    window.SetSettingsButtonText(*writes.settings);
    window.EnableEpisodeButtons(*writes.episodeButtons);
  }
  if (writes.blacklist) {
    window.SetBlacklistLabelText(*writes.blacklist);
    window.EnableBlacklistLabel(*writes.blacklistLabel);
  }
}

void ApplyMainWindowTexts(ShowStore& store, ShowListView& window, const LanguageTexts& texts, int statusPhase) {
  ApplyLanguageTexts(window, texts, statusPhase);
  if (window.ListedShowCount() > 0) RefreshCounters(store, window, texts);
}

void PruneMissingFavorites(ShowStore& store, MessageBoxes& boxes, ShowListView& window,
                           const LanguageTexts& texts) {
  std::string missing;
  {
    std::lock_guard lock(store.mutex);
    missing = store.lists.missingFavorites;
  }
  if (ListEntries(missing).empty()) return;

  boxes.Notify(std::string(TrimBlanks(texts[TextKey::NotOnKestrix3])),
               texts[TextKey::NotOnKestrix1] + missing + "\n" + texts[TextKey::NotOnKestrix2],
               NoticeKind::Exclamation);
  {
    std::lock_guard lock(store.mutex);
    RemoveMissingFavorites(store.lists);
  }
  RefreshCounters(store, window, texts);
}

}  // namespace epiloom
