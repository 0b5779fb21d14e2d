// The blacklist dialog's moves and the show list's check boxes from the
// fuzzer: any show names, list texts and show list items, and a run of moves
// the fuzzer picks. The case-blind comparison and the byte-order place are
// checked against plain rules; every move leaves the lists as it says.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "i18n/LanguageTexts.h"
#include "store/BlacklistMoves.h"
#include "store/ShowListEdits.h"
#include "store/ShowTable.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace {

using namespace epiloom;

using fuzz::Check;

// Windows-1252 lower case, written out as a table of the letters that have one.
std::string Lowered(std::string_view text) {
  std::string lowered;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    unsigned char lower = byte;
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) lower = byte + 32;
    if (byte == 0x8A) lower = 0x9A;
    if (byte == 0x8C) lower = 0x9C;
    if (byte == 0x8E) lower = 0x9E;
    if (byte == 0x9F) lower = 0xFF;
    lowered.push_back(static_cast<char>(lower));
  }
  return lowered;
}

bool ByteLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

void CheckComparisons(const std::vector<std::string>& items, std::string_view name) {
  for (const std::string& item : items) {
    Check(EqualIgnoringCase(item, name) == (Lowered(item) == Lowered(name)));
    Check(EqualIgnoringCase(item, name) == EqualIgnoringCase(name, item));
  }
  const auto found = FindNameIgnoringCase(items, name);
  const auto first =
      std::find_if(items.begin(), items.end(), [&](const std::string& item) { return Lowered(item) == Lowered(name); });
  Check(found.has_value() == (first != items.end()));
  if (found) Check(*found == static_cast<std::size_t>(first - items.begin()));

  const std::size_t at = ByteOrderInsertPosition(items, name);
  Check(at <= items.size());
  for (std::size_t i = 0; i < at; ++i) Check(!ByteLess(name, items[i]));
  if (at < items.size()) Check(ByteLess(name, items[at]));
}

void CheckDialogLists(const std::vector<std::string>& showList, const UserLists& lists) {
  const auto candidates = BlacklistCandidates(showList, lists);
  auto next = showList.begin();
  for (const std::string& candidate : candidates) {
    next = std::find(next, showList.end(), candidate);
    Check(next != showList.end());  // in list order, each an item
    ++next;
    Check(!IsBlacklistedName(lists.blacklistText, TrimBlanks(candidate)));
    Check(!IsFavoriteName(lists.favoritesText, TrimBlanks(candidate)));
  }
}

void BlacklistMove(UserLists& lists, const ShowTable& table, std::vector<std::string>& showList,
                   const std::string& name) {
  const UserLists before = lists;
  const std::size_t items = showList.size();
  const ShowListEdit edit = BlacklistFromDialog(lists, table, showList, name);
  Check(!edit.insertAt);
  if (!edit.moved) {
    Check(lists.blacklistText == before.blacklistText && !edit.removeAt);
    Check(before.blacklistText.empty() || !ShowFound(table, FindShow(table, TrimBlanks(name))));
    return;
  }
  const std::string_view stored = TrimBlanks(CutTo(name, kNameWidth));
  Check(lists.blacklistText == before.blacklistText + std::string(stored) + "\n");
  Check(edit.removeAt == FindNameIgnoringCase(showList, name));
  ApplyShowListEdit(edit, showList, name);
  Check(showList.size() == items - (edit.removeAt ? 1 : 0));
}

void PutBackMove(UserLists& lists, const ShowTable& table, std::vector<std::string>& showList,
                 const std::string& name) {
  const UserLists before = lists;
  const std::size_t items = showList.size();
  const ShowListEdit edit = PutBackFromDialog(lists, table, showList, name);
  Check(!edit.removeAt);
  if (!edit.moved) {
    Check(lists.blacklistText == before.blacklistText && !edit.insertAt);
    return;
  }
  Check(!IsBlacklistedName(lists.blacklistText, name));
  if (name.find('\n') == std::string::npos) {
    const auto beforeNames = ListEntries(before.blacklistText);
    const auto afterNames = ListEntries(lists.blacklistText);
    const auto equal = static_cast<std::size_t>(std::count(beforeNames.begin(), beforeNames.end(), name));
    Check(afterNames.size() == beforeNames.size() - equal);
  }
  Check(edit.insertAt == ByteOrderInsertPosition(showList, name));
  ApplyShowListEdit(edit, showList, name);
  Check(showList.size() == items + 1 && showList[*edit.insertAt] == name);
}

void ToggleMoves(ShowStore& store, const std::string& name) {
  const std::string before = store.lists.favoritesText;
  const ShowRecord* record = FindShowRecord(store.showTable, name);
  const bool ticked = ToggleFavorite(store, name, true);
  Check(ticked == (record != nullptr && !before.empty()));
  if (!ticked) {
    Check(store.lists.favoritesText == before);
    return;
  }
  const std::string line = FavoriteLine(*record) + "\n";
  Check(store.lists.favoritesText == before + line);
  const bool oneLine = line.find('\n') == line.size() - 1;
  if (oneLine && before.ends_with('\n')) {
    Check(IsFavoriteName(store.lists.favoritesText, TrimBlanks(CutTo(record->name, kNameWidth))));
  }
  // Unticking takes the line away again.
  Check(ToggleFavorite(store, name, false));
  if (oneLine && before.find(line) == std::string::npos) Check(store.lists.favoritesText == before);

  const LanguageTexts texts;
  const std::string question = ToggleQuestion(texts, name, true);
  Check(question == TrimBlanks(question) && question.find(name) != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  ShowStore store;
  std::vector<std::string> showList;
  store.showTable.resize(input.ConsumeIntegralInRange<std::size_t>(1, 6));
  for (ShowRecord& record : store.showTable) {
    record.name = input.ConsumeRandomLengthString(48);
    record.pagePath = "/shows/x";
    record.lastWatched = kNoEpisode;
    if (input.ConsumeBool()) showList.push_back(record.name);
  }
  std::sort(showList.begin(), showList.end(), ByteLess);
  store.lists.blacklistText = input.ConsumeBool() ? std::string() : "\n" + input.ConsumeRandomLengthString(256);
  store.lists.favoritesText = input.ConsumeBool() ? std::string() : "\n" + input.ConsumeRandomLengthString(256);

  const int moves = input.ConsumeIntegralInRange<int>(1, 8);
  for (int move = 0; move < moves && input.remaining_bytes() > 0; ++move) {
    const std::size_t pick = input.ConsumeIntegralInRange<std::size_t>(0, store.showTable.size() - 1);
    const std::string picked = input.ConsumeBool() ? store.showTable[pick].name : input.ConsumeRandomLengthString(16);
    CheckComparisons(showList, picked);
    CheckDialogLists(showList, store.lists);
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
      case 0:
        BlacklistMove(store.lists, store.showTable, showList, picked);
        break;
      case 1: {
        const auto names = BlacklistedNames(store.lists.blacklistText);
        const std::string name = names.empty() ? picked : names[pick % names.size()];
        PutBackMove(store.lists, store.showTable, showList, name);
        break;
      }
      default:
        ToggleMoves(store, picked);
        break;
    }
  }
  return 0;
}
