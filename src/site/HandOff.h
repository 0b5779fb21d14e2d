// The hand-off of the chosen new episodes to the torrent client, as a plan:
// one shortcut file per episode (its target the episode's magnet link), the
// list shown in the question, the order in which the episodes are opened,
// and each favourite's last watched episode moved on to the newest one
// handed over. The plan is computed here without touching the store or the
// disk; the download window's worker writes the files, asks and opens.
//
// An episode is handed over only when its shortcut was written: what the
// worker met (ShortcutOutcome) decides how far each favourite advances
// (WrittenAdvance) and what the user is told (HandOffQuestion,
// ShortcutProblemText, LaunchProblemText).
#pragma once

#include <cstddef>
#include <optional>
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

// The episode as the question and the notices list it: listed show name +
// " " + code.
std::string EpisodeLine(const PlannedShortcut& shortcut);

// A favourite that had at least one new episode.
struct FavoriteAdvance {
  int favoriteNumber = 0;     // k: its line in the favourites text, from 1
  std::size_t showIndex = 0;  // its record in the table
  std::string lastWatched;    // the newest episode code handed over
  std::string favoriteLine;   // FavoriteLine of the record with that code
  // Its shortcuts, oldest first: [shortcutsBegin, shortcutsEnd) of the
  // plan's list.
  std::size_t shortcutsBegin = 0;
  std::size_t shortcutsEnd = 0;
};

struct HandOffPlan {
  int total = 0;  // number of shortcuts (0 when nothing is new)
  // No two file names alike, letter case aside (Windows's file names ignore
  // it): where two episodes would share one (two shows whose names differ
  // only by commas or by characters file names refuse, with the same code),
  // the later gets " (2)" before ".lnk", a third " (3)", and so on.
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
// favourites text. For each entry of the choice, in order, each new episode,
// oldest first, gets a shortcut; a favourite with new episodes then advances
// to the newest of them. A show that the favourites text lists twice has one
// entry in the choice, for its first line: it is handed over once, and its
// advance rebuilds every line equal to that first line (a second line that
// reads otherwise stays). Entries whose show is not in the table are left
// out. Nothing is planned when the choice holds no episode.
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

// What became of one planned shortcut.
enum class ShortcutFate {
  Withheld,  // not tried: an older episode of the same favourite was not written
  Written,
  Failed,  // tried and not written; `problem` says why
};
struct ShortcutOutcome {
  ShortcutFate fate = ShortcutFate::Withheld;
  std::string problem;
};
// One outcome per planned shortcut, in the plan's order.
using HandOffOutcomes = std::vector<ShortcutOutcome>;

// The advance a favourite makes once its shortcuts were tried: to the newest
// episode before its first shortcut that was not written (its planned
// advance when all were), its line rebuilt from its record in `table` with
// that code. None when its oldest shortcut was not written, or its record is
// not in the table. Its later episodes stay new, to be offered again at the
// next check: handed over now, they would reach the torrent client twice.
std::optional<FavoriteAdvance> WrittenAdvance(const HandOffPlan& plan, const FavoriteAdvance& planned,
                                              const HandOffOutcomes& outcomes, const ShowTable& table);

// The question asked before the episodes are opened, about the written ones:
//   LaunchTorrent1 + " " + number written + " " + LaunchTorrent2 + LF
//   + a line per written episode (EpisodeLine + LF), in the order made + LF
//   + [ShortcutProblemText + LF + LF, when some were not written]
//   + LaunchTorrent3 + LF + LaunchTorrent4 + LF
//   + the program's folder + ")".
// With every shortcut written, the list is the plan's list text.
std::string HandOffQuestion(const LanguageTexts& texts, const HandOffPlan& plan, const HandOffOutcomes& outcomes,
                            std::string_view folderPath);

// The episodes that were not handed over because their shortcut was not
// written (empty when every one was):
//   ShortcutProblem1 + LF
//   + a line per episode not written, in the order planned: EpisodeLine,
//     and for one that was tried, " (" + why + ")"; + LF
//   + ShortcutProblem2.
// Shown in the question, or on its own in an error box when nothing at all
// was written.
std::string ShortcutProblemText(const LanguageTexts& texts, const HandOffPlan& plan, const HandOffOutcomes& outcomes);

// The episodes whose magnet link no program took (indices into the plan's
// shortcuts, in any order), in an error box after the last was opened:
//   LaunchProblem1 + LF
//   + a line per episode (EpisodeLine + LF), in the order made
//   + LaunchProblem2 + LF + the program's folder.
std::string LaunchProblemText(const LanguageTexts& texts, const HandOffPlan& plan, std::vector<std::size_t> notReached,
                              std::string_view folderPath);

}  // namespace epiloom
