#include "store/FavoriteSettings.h"

#include "site/EpisodeCode.h"
#include "store/ShowTable.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

// The settings a well-formed favourite line ends with: ">" + six-character
// code + quality letter. A line of another shape reads as never watched in
// standard quality.
struct LineSettings {
  std::string lastWatched = kNoEpisode;
  int quality = 0;
};

LineSettings SettingsOfLine(std::string_view line) {
  LineSettings settings;
  constexpr std::size_t kTail = 1 + kEpisodeCodeWidth + 1;
  if (line.size() < kTail || line[line.size() - kTail] != '>') return settings;
  settings.lastWatched = std::string(line.substr(line.size() - kTail + 1, kEpisodeCodeWidth));
  settings.quality = line.back() == 'H' ? 1 : 0;
  return settings;
}

// The leading decimal value of a text, as a number: blanks skipped, digits
// up to the first other character. Values past what a display can show are
// held at a ceiling instead of overflowing.
long long LeadingValue(std::string_view text) {
  constexpr long long kCeiling = 999999999;
  std::size_t at = text.find_first_not_of(' ');
  long long value = 0;
  for (; at != std::string_view::npos && at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > kCeiling) return kCeiling;
  }
  return value;
}

}  // namespace

FavoritePage ReadFavoritePage(const ShowTable& table, std::string_view favoritesText, int page) {
  FavoritePage result;
  result.page = page;
  result.pageCount = FavoriteCount(favoritesText);
  result.line = std::string(FavoriteLineAt(favoritesText, page));
  const std::string_view namePart = FavoriteName(result.line);
  result.show = FindShow(table, namePart);
  result.known = ShowFound(table, result.show);

  std::string lastWatched;
  std::string newest;
  if (result.known) {
    const ShowRecord& record = table[result.show];
    result.name = std::string(TrimBlanks(record.name));
    result.quality = record.quality == 1 ? 1 : 0;
    lastWatched = record.lastWatched;
    if (!record.episodes.empty()) newest = record.episodes.back().episodeCode;
  } else {
    const LineSettings settings = SettingsOfLine(result.line);
    result.name = std::string(TrimBlanks(namePart));
    result.quality = settings.quality;
    lastWatched = settings.lastWatched;
  }
  result.watched = lastWatched != kNoEpisode;
  if (result.watched) {
    result.code = lastWatched;
  } else {
    result.code = newest.empty() ? std::string(kFirstEpisode) : newest;
  }
  return result;
}

std::string SettingsPageCaption(std::string_view settingsText, int page, int pageCount, std::string_view name) {
  // Appended piece by piece: `" " + ToDecimal(page)` makes GCC 12 report a
  // false -Wrestrict overlap in optimised builds.
  std::string caption(settingsText);
  caption += ' ';
  caption += ToDecimal(page);
  caption += '/';
  caption += ToDecimal(pageCount);
  caption += " - ";
  caption.append(TrimBlanks(name));
  return caption;
}

BackButtonChange BackButtonOnPage(int page) {
  if (page == 1) return BackButtonChange::Hide;
  if (page == 2) return BackButtonChange::Show;
  return BackButtonChange::Keep;
}

ForwardCaption ForwardCaptionOnPage(int page, int pageCount) {
  if (page == pageCount) return ForwardCaption::End;
  if (page == pageCount - 1) return ForwardCaption::Next;
  return ForwardCaption::Keep;
}

CodeEditTexts EditTextsForCode(std::string_view code) {
  EpisodeCodeDigits digits = SplitEpisodeCode(code);
  return {std::move(digits.season), std::move(digits.episode)};
}

std::string CodeDisplay(char letter, std::string_view editText) {
  const long long value = LeadingValue(editText);
  std::string display(1, letter);
  if (value < 10) display.push_back('0');
  display += ToDecimal(value);
  return display;
}

std::string WatchedCode(bool watched, std::string_view seasonDisplay, std::string_view episodeDisplay) {
  if (!watched) return kNoEpisode;
  std::string code(seasonDisplay.substr(0, 3));
  code.append(episodeDisplay.substr(0, 3));
  return code;
}

bool ChooseFavoriteQuality(ShowTable& table, const FavoritePage& page, int item) {
  if (!page.known || !ShowFound(table, page.show)) return false;
  table[page.show].quality = static_cast<std::int16_t>(item == 1 ? 1 : 0);
  return true;
}

bool SaveFavoritePage(UserLists& lists, ShowTable& table, const FavoritePage& page, std::string_view lastWatched) {
  if (!page.known || !ShowFound(table, page.show)) return false;
  ShowRecord& record = table[page.show];
  // The line is built from the record as it will be; the record changes only
  // once the list has taken the line.
  ShowRecord saved;
  saved.name = record.name;
  saved.pagePath = record.pagePath;
  saved.quality = record.quality;
  saved.lastWatched = std::string(lastWatched);
  if (!ReplaceFavoriteLine(lists, page.page, saved)) return false;
  record.lastWatched = std::move(saved.lastWatched);
  return true;
}

}  // namespace epiloom
