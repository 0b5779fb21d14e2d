#include "store/Counters.h"

#include <mutex>
#include <optional>

#include "app/MainWindowIds.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

// What RefreshCounters has to write, decided under the lock.
struct CounterWrites {
  std::optional<int> listed;
  std::optional<std::pair<int, int>> favorites;  // f, n
  std::optional<int> blacklisted;
};

}  // namespace

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

void RefreshCounters(ShowStore& store, WindowControls& window, const LanguageTexts& texts,
                     const CancelFlag* cancel) {
  const int listed = window.ListCount(ids::kShowList);
  CounterWrites writes;
  {
    std::lock_guard lock(store.mutex);
    if (cancel != nullptr && cancel->Raised()) return;
    ShownCounts& shown = store.shownCounts;
    if (listed != shown.listedShows) {
      shown.listedShows = listed;
      writes.listed = listed;
    }
    const int f = FavoriteCount(store.lists.favoritesText);
    const int n = UnwatchedCount(store.lists.favoritesText);
    if (f != shown.favorites || n != shown.unwatchedFavorites) {
      shown.favorites = f;
      shown.unwatchedFavorites = n;
      writes.favorites = std::pair{f, n};
    }
    const int b = BlacklistCount(store.lists.blacklistText);
    if (b != shown.blacklisted) {
      shown.blacklisted = b;
      writes.blacklisted = b;
    }
  }

  if (writes.listed) {
    window.SetText(ids::kStatusLine, ToDecimal(*writes.listed) + " " + texts[TextKey::Available]);
  }
  if (writes.favorites) {
    const auto [f, n] = *writes.favorites;
    window.SetText(ids::kSettingsButton, SettingsButtonText(texts, f, n));
    window.Enable(ids::kSettingsButton, f > 0);
    window.Enable(ids::kDownloadButton, f > 0);
  }
  if (writes.blacklisted) {
    const int b = *writes.blacklisted;
    window.SetText(ids::kBlacklistLabel, BlacklistLabelText(texts, b));
    window.Enable(ids::kBlacklistLabel, b > 0);
  }
}

void PruneMissingFavorites(ShowStore& store, MessageBoxes& boxes, WindowControls& window,
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
