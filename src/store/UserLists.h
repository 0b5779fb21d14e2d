// The user's lists: favourites and blacklist, as LF-framed texts in memory
// (an LF, then every line followed by an LF) and as CR LF text files in the
// program's folder.
//
// Everything here works on a UserLists value, without locking: the worker
// loads into a local value and commits it under the store's lock; the window
// edits the store's value while it holds the lock (or while no worker runs).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ShowRecord.h"
#include "store/ShowStore.h"

namespace epiloom {

class ProgramFolder;

inline constexpr char kFavoritesFileName[] = "Epiloom.favorite";
inline constexpr char kBlacklistFileName[] = "Epiloom.blacklist";
inline constexpr char kNoEpisode[] = "S00E00";

// --- Favourite lines ---------------------------------------------------------

// name + "|" + pagePath + ">" + lastWatched (exactly six characters, padded
// with blanks or cut) + "H" (quality 1) or "L". Name and path are cut to
// their widths and trimmed, as the record's fixed-width fields would hold them.
std::string FavoriteLine(const ShowRecord& record);

// The name part of a favourite line: the text before its first "|"; a line
// without "|" (malformed) gives all but its last character, which is the name
// it is listed under in missingFavorites, so that pruning can remove it.
std::string_view FavoriteName(std::string_view line);

// (number of LFs) - 1, never below 0 (a never-loaded list counts 0).
int FavoriteCount(std::string_view favoritesText);
int BlacklistCount(std::string_view blacklistText);
// Occurrences of "S00E00": favourites never watched.
int UnwatchedCount(std::string_view favoritesText);

// The k-th favourite line (k from 1): the (k+1)-th LF-separated field of the
// text; empty when k is out of range.
std::string_view FavoriteLineAt(std::string_view favoritesText, int k);
// The name part of the k-th favourite line.
std::string_view FavoriteNameAt(std::string_view favoritesText, int k);
// Fields 2..count+1 of an LF-framed text: every favourite line (or blacklisted
// name, or missing name) in order. Views into `text`.
std::vector<std::string_view> ListEntries(std::string_view text);

// Takes a favourite's settings into its record. `keyEnd` is the position just
// past the first occurrence of name + "|" + pagePath in favoritesText (where
// the ">" should be): lastWatched gets the six characters after that ">" and
// quality is 1 when the next character is "H". Reading stays inside the
// text: characters past its end read as blanks (a fixed-width field left
// unfilled), and a missing quality letter means 0.
void TakeFavoriteSettings(ShowRecord& record, std::string_view favoritesText, std::size_t keyEnd);

// --- Files ---------------------------------------------------------------

// The lines of a list file: a line ends at CR or CR LF (a lone LF stays in the
// line), byte 26 ends the file, empty lines are left out.
std::vector<std::string_view> ListFileLines(std::string_view content);

// Builds the three texts from the files' contents. A list whose file is
// missing (nullopt) is empty (a single LF). `favoritesReadable` /
// `blacklistReadable` false means the file exists but could not be read: that
// list stays never-loaded (empty string), so it is not written back over a
// file the program could not read.
struct ListFiles {
  std::optional<std::string_view> favorites;
  std::optional<std::string_view> blacklist;
  bool favoritesReadable = true;
  bool blacklistReadable = true;
};
UserLists BuildUserLists(const ListFiles& files);

// Reads Epiloom.favorite and Epiloom.blacklist from the folder into a new
// value; the caller commits it to the store.
UserLists LoadUserLists(const ProgramFolder& folder);

// The file content for a list text: leading and trailing LFs removed, every LF
// as CR LF, then a final CR LF.
std::string ListFileContent(std::string_view text);

// What a save could not write: the names (in the folder) of the files, in the
// order they were tried. True when every file was written.
struct SaveOutcome {
  std::vector<std::string> unsaved;
  explicit operator bool() const { return unsaved.empty(); }
};

// Writes the blacklist, then the favourites, each replacing its file as a
// whole (a file that could not be written keeps its old content). A
// never-loaded list (empty string) leaves its file untouched.
SaveOutcome SaveUserLists(const UserLists& lists, ProgramFolder& folder);
// Copies the lists under the store's lock, then writes them.
SaveOutcome SaveUserLists(ShowStore& store, ProgramFolder& folder);

// --- Editing (each is followed by RefreshCounters) ---------------------------
// An edit refuses a never-loaded list (the empty string, as left when its file
// exists but could not be read): it returns false and leaves the text as it
// is, so the list stays never-loaded and SaveUserLists leaves the user's file
// untouched. True when the edit was made (removing a line that is not there
// is done as well).

// Appends FavoriteLine + LF.
bool AddFavorite(UserLists& lists, const ShowRecord& record);
// Removes every occurrence of FavoriteLine + LF.
bool RemoveFavorite(UserLists& lists, const ShowRecord& record);
// Replaces every occurrence of the k-th favourite line (k from 1) by the
// record's FavoriteLine. Nothing happens, and the result is false, when k is
// out of range.
bool ReplaceFavoriteLine(UserLists& lists, int k, const ShowRecord& record);
// Removes every line of an LF-framed text that equals `line`: LF + line + LF
// becomes LF, until none is left (one pass would leave every other one of
// several equal lines in a row).
void RemoveLines(std::string& listText, std::string_view line);

// Appends the name + LF to the blacklist.
bool BlacklistShow(UserLists& lists, std::string_view name);
// Removes every blacklist line equal to the name (RemoveLines).
bool PutBackShow(UserLists& lists, std::string_view name);
// Removes every favourite line whose name part equals one of the names listed
// in `missingFavorites`, with the LF that ends it. Other lines stay as they are.
void RemoveMissingFavorites(UserLists& lists);

}  // namespace epiloom
