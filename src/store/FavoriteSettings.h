// What the favourite settings pages show and change: one page per favourite
// line, with the show's quality choice and its last watched episode, saved
// into the show's record and its favourite line when the user turns a page.
//
// Plain functions on the store's values; the caller holds the store's lock.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "store/ShowRecord.h"
#include "store/ShowStore.h"

namespace epiloom {

// Shown on the pages of a never-watched favourite whose episode page has not
// given a code yet (no episode known).
inline constexpr char kFirstEpisode[] = "S01E01";

// One page as it opens: read from favourite line `page` (from 1) and the
// record of its show.
struct FavoritePage {
  int page = 0;
  int pageCount = 0;  // the number of favourites
  std::string line;   // favourite line `page` as it stands in the text
  // The record's trimmed name; the trimmed name part of the line when the
  // show is not in the table.
  std::string name;
  // The record's index in the table. Only meaningful when `known`: a show
  // that is not in the table is never read or changed through its page.
  std::size_t show = 0;
  bool known = false;
  int quality = 0;       // the combo item: 1 for 720p, 0 otherwise
  bool watched = false;  // lastWatched is a code, not "S00E00"
  // The code on the season and episode displays: lastWatched when watched;
  // otherwise the newest code of the episode page, or kFirstEpisode when
  // none is known. For a show that is not in the table the line's own code
  // and quality letter are shown.
  std::string code;
};

FavoritePage ReadFavoritePage(const ShowTable& table, std::string_view favoritesText, int page);

// "Settings 2/5 - Lost": the text of Param1, the page, the page count and
// the show's name with its surrounding blanks removed.
std::string SettingsPageCaption(std::string_view settingsText, int page, int pageCount, std::string_view name);

// What a page set-up does to the back button: hidden on the first page,
// shown on the second, left as it is on the others.
enum class BackButtonChange { Keep, Hide, Show };
BackButtonChange BackButtonOnPage(int page);

// What a page set-up does to the forward button's caption: End on the last
// page, Next on the one before it, left as it is on the others.
enum class ForwardCaption { Keep, Next, End };
ForwardCaption ForwardCaptionOnPage(int page, int pageCount);

// The texts of the hidden season and episode edits for a code: its
// characters 2-3 and 5-6 ("05" and "12" for S05E12).
struct CodeEditTexts {
  std::string season;
  std::string episode;
};
CodeEditTexts EditTextsForCode(std::string_view code);

// A display for an edit's text: the letter, then the text's leading decimal
// value (blanks skipped; 0 when there is none) with at least two digits:
// ('S', "5") gives "S05", ('E', "12") gives "E12".
std::string CodeDisplay(char letter, std::string_view editText);

// The lastWatched a page saves: the first three characters of each display
// ("S05" and "E12" give S05E12) when the user watched the show, "S00E00"
// otherwise.
std::string WatchedCode(bool watched, std::string_view seasonDisplay, std::string_view episodeDisplay);

// The quality picked in the combo box goes into the record at once (the
// favourite line follows when the page is saved). False, with nothing
// changed, for a show that is not in the table.
bool ChooseFavoriteQuality(ShowTable& table, const FavoritePage& page, int item);

// Saves a page: lastWatched into the record, and every occurrence of the
// page's favourite line replaced by the line built from the record. False,
// with nothing changed, when the show is not in the table or the edit is
// refused (a favourites list that was never loaded, a page out of range).
bool SaveFavoritePage(UserLists& lists, ShowTable& table, const FavoritePage& page, std::string_view lastWatched);

}  // namespace epiloom
