// The favourite settings pages from the fuzzer: the season and episode edit
// texts the user types (checked against a plain reading of their leading
// value), codes split into edit texts and put back together, and pages read
// from and saved into any favourites text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "store/FavoriteSettings.h"
#include "store/ShowTable.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace {

using namespace epiloom;

using fuzz::Check;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What a display must read for an edit text: blanks skipped, the digit run
// without its leading zeros, held at nine nines, at least two digits.
std::string ExpectedDisplay(char letter, std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  std::size_t end = at;
  while (end < text.size() && IsDigit(text[end])) ++end;
  std::string_view digits = text.substr(at, end - at);
  while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
  std::string value = digits.size() > 9 ? std::string(9, '9') : std::string(digits);
  if (value.empty()) value = "0";
  if (value.size() < 2) value.insert(0, 1, '0');
  return letter + value;
}

bool CodeShaped(std::string_view code) {
  return code.size() == 6 && code[0] == 'S' && IsDigit(code[1]) && IsDigit(code[2]) && code[3] == 'E' &&
         IsDigit(code[4]) && IsDigit(code[5]);
}

void CheckCodeTexts(std::string_view seasonText, std::string_view episodeText, std::string_view code) {
  const std::string season = CodeDisplay('S', seasonText);
  const std::string episode = CodeDisplay('E', episodeText);
  Check(season == ExpectedDisplay('S', seasonText) && episode == ExpectedDisplay('E', episodeText));

  const std::string watched = WatchedCode(true, season, episode);
  Check(watched.size() == 6 && watched.front() == 'S' && watched[3] == 'E');
  Check(WatchedCode(false, season, episode) == kNoEpisode);

  // A code shown on a page comes back unchanged through its edits.
  const CodeEditTexts edits = EditTextsForCode(code);
  Check(edits.season.size() <= 2 && edits.episode.size() <= 2);
  if (CodeShaped(code)) {
    Check(WatchedCode(true, CodeDisplay('S', edits.season), CodeDisplay('E', edits.episode)) == code);
  }
}

// A table of shows named by the fuzzer, some of them favourites of the text.
ShowTable MakeTable(FuzzedDataProvider& input) {
  ShowTable table(input.ConsumeIntegralInRange<std::size_t>(0, 4));
  for (ShowRecord& record : table) {
    // Names as the show list page gives them: trimmed, cut, without "|".
    std::string name = input.ConsumeRandomLengthString(48);
    std::erase(name, '|');
    record.name = std::string(TrimBlanks(CutTo(TrimBlanks(name), kNameWidth)));
    record.pagePath = "/shows/" + input.ConsumeRandomLengthString(8);
    record.quality = static_cast<std::int16_t>(input.ConsumeIntegralInRange<int>(-1, 2));
    record.lastWatched = input.ConsumeBool() ? std::string(kNoEpisode) : input.ConsumeBytesAsString(6);
    if (input.ConsumeBool()) record.episodes.push_back({input.ConsumeBytesAsString(6), "magnet:?x", 1.0f});
  }
  return table;
}

void CheckPages(ShowTable table, UserLists lists, FuzzedDataProvider& input) {
  const int count = FavoriteCount(lists.favoritesText);
  const int pageNumber = input.ConsumeIntegralInRange<int>(-1, count + 1);
  const FavoritePage page = ReadFavoritePage(table, lists.favoritesText, pageNumber);
  Check(page.page == pageNumber && page.pageCount == count);
  Check(page.line == FavoriteLineAt(lists.favoritesText, pageNumber));
  Check(page.quality == 0 || page.quality == 1);
  Check(page.name == TrimBlanks(page.name));
  Check(page.known == ShowFound(table, page.show));
  if (page.known) {
    Check(TrimBlanks(table[page.show].name) == FavoriteName(page.line));
    Check(page.watched == (table[page.show].lastWatched != kNoEpisode));
  } else {
    // The line's own settings: always a six-character code.
    Check(page.code.size() == 6);
  }
  Check(
      page.watched || page.code == kFirstEpisode ||
      (page.known && !table[page.show].episodes.empty() && page.code == table[page.show].episodes.back().episodeCode));

  const std::string seasonText = input.ConsumeRandomLengthString(12);
  const std::string episodeText = input.ConsumeRandomLengthString(12);
  const bool watched = input.ConsumeBool();
  const std::string code = WatchedCode(watched, CodeDisplay('S', seasonText), CodeDisplay('E', episodeText));

  const ShowTable tableBefore = table;
  const UserLists listsBefore = lists;
  const bool saved = SaveFavoritePage(lists, table, page, code);
  if (!saved) {
    Check(lists.favoritesText == listsBefore.favoritesText);
    for (std::size_t i = 0; i < table.size(); ++i) Check(table[i].lastWatched == tableBefore[i].lastWatched);
    Check(!page.known || lists.favoritesText.empty() || pageNumber < 1 || pageNumber > count || page.line.empty());
    return;
  }
  Check(page.known && pageNumber >= 1 && pageNumber <= count);
  const ShowRecord& record = table[page.show];
  Check(record.lastWatched == code);
  // A line that occurs once, and a rebuilt line that does not split it,
  // reads back as the rebuilt line at the same place.
  const std::string rebuilt = FavoriteLine(record);
  const std::string_view before = listsBefore.favoritesText;
  if (CountOccurrences(before, page.line) == 1 && rebuilt.find('\n') == std::string::npos) {
    Check(FavoriteLineAt(lists.favoritesText, pageNumber) == rebuilt);
    Check(FavoriteCount(lists.favoritesText) == count);
    const FavoritePage again = ReadFavoritePage(table, lists.favoritesText, pageNumber);
    // Watched up to "S00E00" reads as never watched.
    Check(again.known && again.show == page.show && again.watched == (code != kNoEpisode));
    if (again.watched) Check(again.code == code);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string seasonText = input.ConsumeRandomLengthString(24);
  const std::string episodeText = input.ConsumeRandomLengthString(24);
  const std::string code = input.ConsumeRandomLengthString(8);
  CheckCodeTexts(seasonText, episodeText, code);

  ShowTable table = MakeTable(input);
  UserLists lists;
  lists.favoritesText = input.ConsumeRandomLengthString(2048);
  // Favourite lines for some of the table's shows, as a loaded list holds them.
  for (const ShowRecord& record : table) {
    if (input.ConsumeBool()) lists.favoritesText += FavoriteLine(record) + "\n";
  }
  CheckPages(std::move(table), std::move(lists), input);
  return 0;
}
