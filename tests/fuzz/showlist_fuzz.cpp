// Show list pages and favourites texts from the fuzzer: the page reader, the
// favourite and blacklist indexes (checked against the plain searches) and
// the whole show list worker on in-memory stand-ins.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "fakes/Fakes.h"
#include "site/ShowListPageReference.h"
#include "site/ShowListPage.h"
#include "store/ListIndex.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace {

using namespace epiloom;

using fuzz::Check;

class CountingWindow : public ShowListView {
 public:
  void SetStatusText(const std::string&) override {}
  void ShowSpinner(bool) override {}
  void ShowUpdateProgress(int, int) override {}
  void HideUpdateProgress() override {}
  int ListedShowCount() override { return items; }
  void AppendShows(const std::vector<ListedShow>& shows) override {
    Check(!shows.empty());
    for (const ListedShow& show : shows) Check(show.name.size() <= kNameWidth);
    items += static_cast<int>(shows.size());
  }
  void SetSettingsButtonText(const std::string&) override {}
  void SetDownloadButtonText(const std::string&) override {}
  void EnableEpisodeButtons(bool) override {}
  void SetBlacklistLabelText(const std::string&) override {}
  void EnableBlacklistLabel(bool) override {}
  void SetAboutLineText(const std::string&) override {}
  int items = 0;
};

class FixedFetcher : public PageFetcher {
 public:
  explicit FixedFetcher(std::string page) : page_(std::move(page)) {}
  std::string URLDownloadToString(const std::string&) override { return page_; }

 private:
  std::string page_;
};

class StillClock : public Clock {
 public:
  double SecondsSinceMidnight() override { return 43210.5; }
  void Sleep(int) override {}
};

void CheckIndexes(std::string_view favoritesText, const std::vector<ShowListEntry>& entries) {
  const FavoriteKeyIndex favorites(favoritesText);
  const ListLineSet lines(favoritesText);
  for (const ShowListEntry& entry : entries) {
    const std::string key = entry.name + "|" + entry.pagePath;
    const std::size_t at = favorites.Find(entry.name, entry.pagePath);
    Check(at == favoritesText.find(key));
    Check(lines.Contains(entry.name) == (favoritesText.find("\n" + entry.name + "\n") != std::string_view::npos));
    if (at != std::string_view::npos) {
      ShowRecord record;
      TakeFavoriteSettings(record, favoritesText, at + key.size());
      Check(record.lastWatched.size() == kEpisodeCodeWidth);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string favoritesFile = input.ConsumeRandomLengthString(4096);
  const std::string blacklistFile = input.ConsumeRandomLengthString(1024);
  const std::string page = input.ConsumeRemainingBytesAsString();

  const std::vector<ShowListEntry> entries = ReadShowListPage(page);
  Check(entries.size() <= kShowTableCapacity);
  const std::vector<ShowListEntry> expected = epiloom::testing::ReadShowListPageStepByStep(page);
  Check(entries.size() == expected.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Check(entries[i].name == expected[i].name && entries[i].pagePath == expected[i].pagePath);
  }
  for (const ShowListEntry& entry : entries) {
    Check(entry.name.size() <= kNameWidth && entry.pagePath.size() <= kPagePathWidth);
    Check(TrimBlanks(entry.name) == entry.name && TrimBlanks(entry.pagePath) == entry.pagePath);
    Check(entry.name.find('|') == std::string::npos && entry.pagePath.find('|') == std::string::npos);
  }

  const UserLists lists = BuildUserLists({favoritesFile, blacklistFile});
  CheckIndexes(lists.favoritesText, entries);
  CheckIndexes(favoritesFile, entries);  // any text, framed or not

  testing::FakeProgramFolder folder;
  folder.Put(kFavoritesFileName, favoritesFile);
  folder.Put(kBlacklistFileName, blacklistFile);
  FixedFetcher fetcher(page);
  StillClock clock;
  CountingWindow window;
  ShowStore store;
  std::atomic<int> statusPhase{0};
  ShowListJob job(store, fetcher, folder, clock, window, LanguageTexts(), "http://kestrix.test/", statusPhase,
                  MakeCancelToken());
  const int result = ReadShowList(job);
  if (page.empty()) {
    Check(result == kShowListDownloadFailed);
  } else if (entries.empty()) {
    Check(result == kShowListEmpty && store.showTable.empty());
  } else {
    Check(result == static_cast<int>(entries.size()) && store.showTable.size() == entries.size());
    Check(window.items <= result);
    for (const ShowRecord& record : store.showTable) {
      Check(record.lastWatched.size() == kEpisodeCodeWidth);
      Check(record.quality == 0 || record.quality == 1);
      Check(record.lastChecked >= 0 && record.lastChecked < 86400);
    }
  }
  return 0;
}
