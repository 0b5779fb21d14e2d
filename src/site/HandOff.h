// The hand-off of the chosen new episodes to the torrent client, as a plan:
// one shortcut file per episode (its target the episode's magnet link), the
// list shown in the question, the order in which the shortcuts are opened,
// and each favourite's last watched episode moved on to the newest one
// handed over. The plan is computed here without touching the store or the
// disk; the download window's worker writes the files, asks and opens.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "site/EpisodePages.h"
#include "store/ShowRecord.h"
#include "store/ShowStore.h"

namespace epiloom {

class LanguageTexts;

// Every shortcut carries the exported icon BICO.ICO (icon index 0) and opens
// its target shown normally (SW_SHOWNORMAL).
inline constexpr char kShortcutIconFile[] = "BICO.ICO";
inline constexpr int kShortcutShowCommand = 5;

// The local date on which the shortcuts are made.
struct LocalDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

// The show's name as the hand-off lists it: trimmed, every "," removed.
std::string ListedShowName(std::string_view name);

// "[" + year (four digits) + "-" + month + "-" + day (two digits each) + "] "
// + the listed show name + " " + the episode code + ".lnk", for example
// "[2013-02-14] Some Show S02E06.lnk". In the name and the code, every
// character that Windows refuses in file names (\ / : * ? " < > | and bytes
// below 32) becomes a blank.
std::string ShortcutFileName(const LocalDate& date, std::string_view showName, std::string_view episodeCode);

// "Torrent magnet created by Epiloom " + the maker's home page.
std::string ShortcutDescription(std::string_view homeUrl);

// One shortcut to write, in the order they are made.
struct PlannedShortcut {
  std::size_t showIndex = 0;  // the show's record in the table
  std::string showName;       // trimmed, as the progress label shows it
  std::string episodeCode;
  std::string fileName;    // ShortcutFileName, inside the program's folder
  std::string magnetLink;  // the episode's link, trimmed of blanks
};

// The progress label while a shortcut is made: show name + " " + code.
std::string ProgressLabel(const PlannedShortcut& shortcut);

// A favourite that had at least one new episode.
struct FavoriteAdvance {
  int favoriteNumber = 0;     // k: its line in the favourites text, from 1
  std::size_t showIndex = 0;  // its record in the table
  std::string lastWatched;    // the newest episode code handed over
  std::string favoriteLine;   // FavoriteLine of the record with that code
  // Its shortcuts are those before this index in the plan's list, after the
  // previous advance's.
  std::size_t shortcutsEnd = 0;
};

struct HandOffPlan {
  int total = 0;  // number of shortcuts (0 when nothing is new)
  std::vector<PlannedShortcut> shortcuts;
  // One line per shortcut, in the same order: listed show name + " " + code
  // + LF.
  std::string listText;
  // Indices into `shortcuts` in the order they are opened: the last made
  // first.
  std::vector<std::size_t> launchOrder;
  // In the order of the favourites text; a favourite with no new episode has
  // none, and keeps its line.
  std::vector<FavoriteAdvance> advances;
  // The favourites text once every advance is made: each advance replaces
  // every occurrence of its favourite's line, as that line then reads, by
  // the rebuilt line.
  std::string favoritesText;
};

// The plan for a choice made by ChooseNewEpisodes from the same table and
// favourites text. For each entry of the choice, in order (a favourite
// listed twice has two entries and is handed over twice), each new episode,
// oldest first, gets a shortcut; a favourite with new episodes then advances
// to the newest of them. Nothing is planned when the choice holds no episode.
HandOffPlan PlanHandOff(const NewEpisodeChoice& choice, const ShowTable& table, std::string_view favoritesText,
                        const LocalDate& today);

// Makes one favourite's advance: lastWatched of its record, and the
// favourite's current line replaced by the rebuilt one (every occurrence).
// An advance whose record is not in the table is left out.
void ApplyFavoriteAdvance(const FavoriteAdvance& advance, ShowTable& table, UserLists& lists);

// Makes the plan's advances in the store's data: lastWatched of each record,
// and each favourite's current line replaced as in the plan. Applied to the
// table and text the plan was made from, the text becomes the plan's
// favouritesText. Advances whose record is not in the table are left out.
void ApplyHandOff(const HandOffPlan& plan, ShowTable& table, UserLists& lists);

// The question asked before the shortcuts are opened:
//   LaunchTorrent1 + " " + total + " " + LaunchTorrent2 + LF
//   + the list text + LF
//   + LaunchTorrent3 + LF + LaunchTorrent4 + LF
//   + the program's folder + ")".
std::string HandOffQuestion(const LanguageTexts& texts, const HandOffPlan& plan, std::string_view folderPath);

}  // namespace epiloom
