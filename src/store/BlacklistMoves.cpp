#include "store/BlacklistMoves.h"

#include <algorithm>

#include "store/ShowTable.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

unsigned char FoldCase(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A:  // S with caron
    case 0x8C:  // OE
    case 0x8E:  // Z with caron
      return static_cast<unsigned char>(c + 16);
    case 0x9F:  // Y with diaeresis
      return 0xFF;
    default:
      return c;
  }
}

bool SortsAfter(std::string_view item, std::string_view name) {
  const std::size_t common = std::min(item.size(), name.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(item[i]);
    const auto y = static_cast<unsigned char>(name[i]);
    if (x != y) return x > y;
  }
  return item.size() > name.size();
}

std::string Framed(char before, std::string_view name, char after) {
  std::string framed;
  framed.reserve(name.size() + 2);
  if (before != 0) framed.push_back(before);
  framed.append(name);
  framed.push_back(after);
  return framed;
}

}  // namespace

bool IsFavoriteName(std::string_view favoritesText, std::string_view name) {
  return favoritesText.find(Framed('\n', name, '|')) != std::string_view::npos;
}

bool IsBlacklistedName(std::string_view blacklistText, std::string_view name) {
  return blacklistText.find(Framed('\n', name, '\n')) != std::string_view::npos;
}

std::vector<std::string> BlacklistCandidates(const std::vector<std::string>& showList, const UserLists& lists) {
  std::vector<std::string> candidates;
  for (const std::string& item : showList) {
    const std::string_view name = TrimBlanks(item);
    if (IsBlacklistedName(lists.blacklistText, name) || IsFavoriteName(lists.favoritesText, name)) continue;
    candidates.push_back(item);
  }
  return candidates;
}

std::vector<std::string> BlacklistedNames(std::string_view blacklistText) {
  std::vector<std::string> names;
  for (std::string_view entry : ListEntries(blacklistText)) names.emplace_back(entry);
  return names;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::optional<std::size_t> FindNameIgnoringCase(const std::vector<std::string>& items, std::string_view name) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (EqualIgnoringCase(items[i], name)) return i;
  }
  return std::nullopt;
}

std::size_t ByteOrderInsertPosition(const std::vector<std::string>& items, std::string_view name) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (SortsAfter(items[i], name)) return i;
  }
  return items.size();
}

ShowListEdit BlacklistFromDialog(UserLists& lists, const ShowTable& table, const std::vector<std::string>& showList,
                                 std::string_view name) {
  ShowListEdit edit;
  if (!ShowFound(table, FindShow(table, TrimBlanks(name)))) return edit;
  if (!BlacklistShow(lists, name)) return edit;
  edit.moved = true;
  edit.removeAt = FindNameIgnoringCase(showList, name);
  return edit;
}

ShowListEdit PutBackFromDialog(UserLists& lists, const ShowTable& table, const std::vector<std::string>& showList,
                               std::string_view name) {
  ShowListEdit edit;
  if (!ShowFound(table, FindShow(table, name))) return edit;
  if (!IsBlacklistedName(lists.blacklistText, name)) return edit;
  if (!PutBackShow(lists, name)) return edit;
  edit.moved = true;
  edit.insertAt = ByteOrderInsertPosition(showList, name);
  return edit;
}

void ApplyShowListEdit(const ShowListEdit& edit, std::vector<std::string>& showList, std::string_view name) {
  if (edit.removeAt && *edit.removeAt < showList.size()) {
    showList.erase(showList.begin() + static_cast<std::ptrdiff_t>(*edit.removeAt));
  }
  if (edit.insertAt) {
    const std::size_t at = std::min(*edit.insertAt, showList.size());
    showList.insert(showList.begin() + static_cast<std::ptrdiff_t>(at), std::string(name));
  }
}

}  // namespace epiloom
