// What the blacklist dialog shows and what its two moves do: the shows of the
// main window's list that may be blacklisted, the blacklisted names, and the
// changes a move makes to the blacklist text and to the main window's list.
//
// The main window's list comes in as its item strings, in list order; a move
// answers which item to delete or where to insert, and the caller does it to
// the window. Plain functions on the store's values; the caller holds the
// store's lock.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ShowRecord.h"
#include "store/ShowStore.h"

namespace epiloom {

// A favourite for the dialog: a line of the favourites text begins with the
// name and "|" (a favourite named "The Lost" does not make "Lost" one).
bool IsFavoriteName(std::string_view favoritesText, std::string_view name);
// Blacklisted: the blacklist text holds LF + name + LF.
bool IsBlacklistedName(std::string_view blacklistText, std::string_view name);

// The left list: every item of the show list, in list order, whose name
// (surrounding blanks removed) is neither blacklisted nor a favourite.
std::vector<std::string> BlacklistCandidates(const std::vector<std::string>& showList, const UserLists& lists);
// The right list: every line of the blacklist, in the order of the text.
std::vector<std::string> BlacklistedNames(std::string_view blacklistText);

// Equal when every byte is, with the letters of the ANSI code page
// (Windows-1252) taken without their case: A-Z, the accented capitals
// 0xC0-0xDE but 0xD7, and 0x8A, 0x8C, 0x8E, 0x9F.
bool EqualIgnoringCase(std::string_view a, std::string_view b);
// The first item equal to `name` ignoring letter case.
std::optional<std::size_t> FindNameIgnoringCase(const std::vector<std::string>& items, std::string_view name);

// Where a name goes into a list kept in byte order: before the first item
// that sorts after it (unsigned bytes; a prefix sorts first), or at the end.
std::size_t ByteOrderInsertPosition(const std::vector<std::string>& items, std::string_view name);

// What one move does to the main window's show list.
struct ShowListEdit {
  bool moved = false;                    // the lists changed
  std::optional<std::size_t> removeAt;   // delete this item
  std::optional<std::size_t> insertAt;   // insert the name here, not ticked
};

// ">>": blacklists `name` (an item of the left list). The name is appended
// to the blacklist and the first item of the show list equal to it ignoring
// case is deleted (none: only the blacklist changes). Nothing changes when
// the name is not a show of the table or the blacklist was never loaded.
ShowListEdit BlacklistFromDialog(UserLists& lists, const ShowTable& table, const std::vector<std::string>& showList,
                                 std::string_view name);

// "<<": takes `name` (a line of the blacklist) off the blacklist: every line
// equal to it is removed, and the name goes into the show list at its byte
// order place. Nothing changes when the name is not a show of the table,
// when the blacklist holds no such line (a second copy of a name already put
// back), or when the blacklist was never loaded.
ShowListEdit PutBackFromDialog(UserLists& lists, const ShowTable& table, const std::vector<std::string>& showList,
                               std::string_view name);

// Does an edit to a copy of the show list's strings, as the caller does it to
// the window, so that the next move of the same click sees the list as it is.
void ApplyShowListEdit(const ShowListEdit& edit, std::vector<std::string>& showList, std::string_view name);

}  // namespace epiloom
