// Favourites and blacklist files from the fuzzer: loading, saving, loading
// the saved files again, and the list edits.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unordered_set>

#include "fuzz/FuzzCheck.h"
#include "store/UserLists.h"

namespace {

using namespace epiloom;

using fuzz::Check;

bool FramedLikeAList(std::string_view text) { return !text.empty() && text.front() == '\n' && text.back() == '\n'; }

// Every LF of a file written by the program is preceded by a CR, and the file
// ends with CR LF.
void CheckFileContent(std::string_view content) {
  Check(content.size() >= 2 && content.substr(content.size() - 2) == "\r\n");
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] == '\n') Check(i > 0 && content[i - 1] == '\r');
  }
}

UserLists Reload(const UserLists& lists) {
  const std::string favorites = ListFileContent(lists.favoritesText);
  const std::string blacklist = ListFileContent(lists.blacklistText);
  CheckFileContent(favorites);
  CheckFileContent(blacklist);
  return BuildUserLists({favorites, blacklist});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string name = input.ConsumeRandomLengthString(64);
  const std::string favoritesFile = input.ConsumeRandomLengthString(8192);
  const std::string blacklistFile = input.ConsumeRemainingBytesAsString();

  const UserLists loaded = BuildUserLists({favoritesFile, blacklistFile});
  Check(FramedLikeAList(loaded.favoritesText) && FramedLikeAList(loaded.blacklistText));
  Check(FramedLikeAList(loaded.missingFavorites));
  Check(loaded.favoritesText.find('\r') == std::string::npos && loaded.favoritesText.find('\x1a') == std::string::npos);
  const std::size_t lines = ListFileLines(favoritesFile).size();
  Check(ListEntries(loaded.missingFavorites).size() >= lines);
  Check(static_cast<std::size_t>(FavoriteCount(loaded.favoritesText)) >= lines);

  // One save and load drops what a file cannot hold (empty lines, LFs at the
  // ends); from then on saving and loading changes nothing.
  const UserLists once = Reload(loaded);
  const UserLists twice = Reload(once);
  Check(once.favoritesText == twice.favoritesText && once.blacklistText == twice.blacklistText);
  Check(once.missingFavorites == twice.missingFavorites);
  Check(ListFileContent(once.favoritesText) == ListFileContent(loaded.favoritesText) ||
        loaded.favoritesText.find("\n\n") != std::string::npos);

  // Pruning leaves no line whose name is missing, and every other line.
  UserLists pruned = loaded;
  RemoveMissingFavorites(pruned);
  const auto missing = ListEntries(loaded.missingFavorites);
  const std::unordered_set<std::string_view> missingNames(missing.begin(), missing.end());
  for (std::string_view line : ListEntries(pruned.favoritesText)) Check(missingNames.count(FavoriteName(line)) == 0);
  std::size_t kept = 0;
  for (std::string_view line : ListEntries(loaded.favoritesText)) kept += missingNames.count(FavoriteName(line)) == 0;
  Check(ListEntries(pruned.favoritesText).size() == kept);

  // Putting a name back removes every line equal to it and nothing else.
  UserLists putBack = loaded;
  Check(PutBackShow(putBack, name));
  Check(putBack.blacklistText.find("\n" + name + "\n") == std::string::npos);
  if (name.find('\n') == std::string::npos) {
    const auto before = ListEntries(loaded.blacklistText);
    const auto after = ListEntries(putBack.blacklistText);
    Check(after.size() == before.size() - static_cast<std::size_t>(std::count(before.begin(), before.end(), name)));
  }

  // Adding then removing a favourite gives the list back.
  ShowRecord record;
  record.name = name;
  record.pagePath = "/shows/1/x";
  record.lastWatched = "S01E02";
  const std::string line = FavoriteLine(record);
  UserLists edited = loaded;
  Check(AddFavorite(edited, record));
  Check(FavoriteCount(edited.favoritesText) ==
        FavoriteCount(loaded.favoritesText) + 1 + static_cast<int>(std::count(line.begin(), line.end(), '\n')));
  if (line.find('\n') == std::string::npos) {
    Check(FavoriteLineAt(edited.favoritesText, FavoriteCount(edited.favoritesText)) == line);
    if (loaded.favoritesText.find(line + "\n") == std::string::npos) {
      Check(RemoveFavorite(edited, record));
      Check(edited.favoritesText == loaded.favoritesText);
    }
  }
  return 0;
}
