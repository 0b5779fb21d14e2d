#include "store/UserLists.h"

#include <algorithm>
#include <mutex>
#include <unordered_set>

#include "support/ProgramFolder.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

constexpr char kLf = '\n';
constexpr char kCr = '\r';
constexpr char kEndOfFile = 26;

int LfCountMinusOne(std::string_view text) {
  const auto lfs = std::count(text.begin(), text.end(), kLf);
  return lfs > 0 ? static_cast<int>(lfs - 1) : 0;
}

// A list that was never loaded (its file could not be read) is not edited:
// an edit would turn it into a list, and saving that would replace the file.
bool NeverLoaded(std::string_view text) { return text.empty(); }

void AppendLine(std::string& text, std::string_view line) {
  text.append(line);
  text.push_back(kLf);
}

}  // namespace

// --- Favourite lines ---------------------------------------------------------

std::string FavoriteLine(const ShowRecord& record) {
  std::string line(TrimBlanks(CutTo(record.name, kNameWidth)));
  line.push_back('|');
  line.append(TrimBlanks(CutTo(record.pagePath, kPagePathWidth)));
  line.push_back('>');
  std::string code(CutTo(record.lastWatched, kEpisodeCodeWidth));
  code.resize(kEpisodeCodeWidth, ' ');
  line.append(code);
  line.push_back(record.quality == 1 ? 'H' : 'L');
  return line;
}

std::string_view FavoriteName(std::string_view line) {
  const std::size_t bar = line.find('|');
  if (bar != std::string_view::npos) return line.substr(0, bar);
  return line.substr(0, line.empty() ? 0 : line.size() - 1);
}

int FavoriteCount(std::string_view favoritesText) { return LfCountMinusOne(favoritesText); }

int BlacklistCount(std::string_view blacklistText) { return LfCountMinusOne(blacklistText); }

int UnwatchedCount(std::string_view favoritesText) {
  return static_cast<int>(CountOccurrences(favoritesText, kNoEpisode));
}

std::string_view FavoriteLineAt(std::string_view favoritesText, int k) {
  if (k < 1) return {};
  std::size_t start = 0;
  for (int field = 0; field < k; ++field) {
    const std::size_t lf = favoritesText.find(kLf, start);
    if (lf == std::string_view::npos) return {};
    start = lf + 1;
  }
  const std::size_t end = favoritesText.find(kLf, start);
  // The last field (after the final LF) is not a line of the list.
  if (end == std::string_view::npos) return {};
  return favoritesText.substr(start, end - start);
}

std::string_view FavoriteNameAt(std::string_view favoritesText, int k) {
  return FavoriteName(FavoriteLineAt(favoritesText, k));
}

std::vector<std::string_view> ListEntries(std::string_view text) {
  std::vector<std::string_view> entries;
  std::size_t start = text.find(kLf);
  if (start == std::string_view::npos) return entries;
  ++start;
  for (std::size_t lf = text.find(kLf, start); lf != std::string_view::npos; lf = text.find(kLf, start)) {
    entries.push_back(text.substr(start, lf - start));
    start = lf + 1;
  }
  return entries;
}

void TakeFavoriteSettings(ShowRecord& record, std::string_view favoritesText, std::size_t keyEnd) {
  const std::size_t codeStart = keyEnd + 1;  // after the ">"
  std::string code(codeStart < favoritesText.size() ? favoritesText.substr(codeStart, kEpisodeCodeWidth)
                                                    : std::string_view{});
  code.resize(kEpisodeCodeWidth, ' ');
  record.lastWatched = std::move(code);
  const std::size_t letter = codeStart + kEpisodeCodeWidth;
  record.quality = letter < favoritesText.size() && favoritesText[letter] == 'H' ? 1 : 0;
}

// --- Files ---------------------------------------------------------------

std::vector<std::string_view> ListFileLines(std::string_view content) {
  content = content.substr(0, content.find(kEndOfFile));
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t cr = content.find(kCr, start);
    const std::size_t end = cr == std::string_view::npos ? content.size() : cr;
    if (end > start) lines.push_back(content.substr(start, end - start));
    if (cr == std::string_view::npos) break;
    start = cr + 1;
    if (start < content.size() && content[start] == kLf) ++start;  // CR LF ends one line
  }
  return lines;
}

UserLists BuildUserLists(const ListFiles& files) {
  UserLists lists;
  lists.missingFavorites.push_back(kLf);
  if (files.favoritesReadable) {
    lists.favoritesText.push_back(kLf);
    if (files.favorites) {
      for (std::string_view line : ListFileLines(*files.favorites)) {
        AppendLine(lists.favoritesText, line);
        AppendLine(lists.missingFavorites, FavoriteName(line));
      }
    }
  }
  if (files.blacklistReadable) {
    lists.blacklistText.push_back(kLf);
    if (files.blacklist) {
      for (std::string_view line : ListFileLines(*files.blacklist)) AppendLine(lists.blacklistText, line);
    }
  }
  return lists;
}

UserLists LoadUserLists(const ProgramFolder& folder) {
  std::optional<std::string> favorites;
  std::optional<std::string> blacklist;
  ListFiles files;
  if (folder.Exists(kFavoritesFileName)) {
    favorites = folder.ReadFile(kFavoritesFileName);
    files.favoritesReadable = favorites.has_value();
    if (favorites) files.favorites = *favorites;
  }
  if (folder.Exists(kBlacklistFileName)) {
    blacklist = folder.ReadFile(kBlacklistFileName);
    files.blacklistReadable = blacklist.has_value();
    if (blacklist) files.blacklist = *blacklist;
  }
  return BuildUserLists(files);
}

std::string ListFileContent(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kLf);
  text = first == std::string_view::npos ? std::string_view{} : text.substr(first);
  const std::size_t last = text.find_last_not_of(kLf);
  text = last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
  std::string content = ReplaceAll(text, "\n", "\r\n");
  content.append("\r\n");
  return content;
}

SaveOutcome SaveUserLists(const UserLists& lists, ProgramFolder& folder) {
  SaveOutcome outcome;
  const auto save = [&](const char* name, const std::string& text) {
    if (text.empty()) return;
    if (!folder.ReplaceWholeFile(name, ListFileContent(text))) outcome.unsaved.emplace_back(name);
  };
  save(kBlacklistFileName, lists.blacklistText);
  save(kFavoritesFileName, lists.favoritesText);
  return outcome;
}

SaveOutcome SaveUserLists(ShowStore& store, ProgramFolder& folder) {
  UserLists lists;
  {
    std::lock_guard lock(store.mutex);
    lists = store.lists;
  }
  return SaveUserLists(lists, folder);
}

// --- Editing -------------------------------------------------------------

bool AddFavorite(UserLists& lists, const ShowRecord& record) {
  if (NeverLoaded(lists.favoritesText)) return false;
  AppendLine(lists.favoritesText, FavoriteLine(record));
  return true;
}

bool RemoveFavorite(UserLists& lists, const ShowRecord& record) {
  if (NeverLoaded(lists.favoritesText)) return false;
  std::string line = FavoriteLine(record);
  line.push_back(kLf);
  lists.favoritesText = ReplaceAll(lists.favoritesText, line, "");
  return true;
}

bool ReplaceFavoriteLine(UserLists& lists, int k, const ShowRecord& record) {
  if (NeverLoaded(lists.favoritesText)) return false;
  const std::string current(FavoriteLineAt(lists.favoritesText, k));
  if (k < 1 || k > FavoriteCount(lists.favoritesText) || current.empty()) return false;
  lists.favoritesText = ReplaceAll(lists.favoritesText, current, FavoriteLine(record));
  return true;
}

bool BlacklistShow(UserLists& lists, std::string_view name) {
  if (NeverLoaded(lists.blacklistText)) return false;
  AppendLine(lists.blacklistText, TrimBlanks(CutTo(name, kNameWidth)));
  return true;
}

void RemoveLines(std::string& listText, std::string_view line) {
  std::string framed;
  framed.reserve(line.size() + 2);
  framed.push_back(kLf);
  framed.append(line);
  framed.push_back(kLf);
  while (listText.find(framed) != std::string::npos) listText = ReplaceAll(listText, framed, "\n");
}

bool PutBackShow(UserLists& lists, std::string_view name) {
  if (NeverLoaded(lists.blacklistText)) return false;
  RemoveLines(lists.blacklistText, name);
  return true;
}

void RemoveMissingFavorites(UserLists& lists) {
  const std::vector<std::string_view> missingNames = ListEntries(lists.missingFavorites);
  if (missingNames.empty() || NeverLoaded(lists.favoritesText)) return;
  const std::unordered_set<std::string_view> missing(missingNames.begin(), missingNames.end());
  const std::string_view text = lists.favoritesText;
  std::string kept;
  kept.reserve(text.size());
  // Whatever precedes the first LF (nothing, in a loaded list) and follows the
  // last one is not a line of the list and stays.
  std::size_t start = text.find(kLf);
  if (start == std::string_view::npos) return;
  ++start;
  kept.append(text.substr(0, start));
  for (std::size_t lf = text.find(kLf, start); lf != std::string_view::npos; lf = text.find(kLf, start)) {
    const std::string_view line = text.substr(start, lf - start);
    if (missing.count(FavoriteName(line)) == 0) AppendLine(kept, line);
    start = lf + 1;
  }
  kept.append(text.substr(start));
  lists.favoritesText = std::move(kept);
}

}  // namespace epiloom
