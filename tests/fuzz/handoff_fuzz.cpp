// The hand-off of new episodes from the fuzzer: show names, codes and magnet
// links as episode pages give them, any favourites text and any date. Every
// shortcut name is a name Windows accepts and no two are alike, the plan
// lists and opens what it makes, and making the plan's advances gives the
// plan's favourites text. With shortcuts that could not be written, each
// favourite stops before its first one, and the texts name every episode.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "i18n/LanguageTexts.h"
#include "site/EpisodeCode.h"
#include "site/EpisodePageReader.h"
#include "site/EpisodePages.h"
#include "site/HandOff.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace {

using namespace epiloom;

using fuzz::Check;

bool AcceptedInFileName(char c) {
  return static_cast<unsigned char>(c) >= 32 && std::string_view("\\/:*?\"<>|").find(c) == std::string_view::npos;
}

ShowTable MakeTable(FuzzedDataProvider& input) {
  ShowTable table(input.ConsumeIntegralInRange<std::size_t>(0, 4));
  for (ShowRecord& record : table) {
    record.name = std::string(TrimBlanks(CutTo(input.ConsumeRandomLengthString(48), kNameWidth)));
    record.pagePath = "/shows/" + input.ConsumeRandomLengthString(8);
    record.quality = static_cast<std::int16_t>(input.ConsumeBool());
    record.lastWatched = input.ConsumeBool() ? std::string(kNoEpisode) : input.ConsumeBytesAsString(6);
    record.episodes.resize(input.ConsumeIntegralInRange<std::size_t>(0, 5));
    for (Episode& episode : record.episodes) {
      episode.episodeCode = input.ConsumeRandomLengthString(8);
      episode.magnetLink = input.ConsumeRandomLengthString(32);
      episode.sizeMb = static_cast<float>(input.ConsumeIntegralInRange<int>(0, 3000));
    }
    SortEpisodesByCode(record.episodes);
  }
  return table;
}

void CheckShortcut(const PlannedShortcut& shortcut, const LocalDate& date) {
  const std::string& name = shortcut.fileName;
  for (const char c : name) Check(AcceptedInFileName(c));
  Check(name.front() == '[' && name.ends_with(".lnk"));
  // The name, or where an earlier shortcut took it, the name numbered.
  const std::string plain = ShortcutFileName(date, shortcut.showName, shortcut.episodeCode);
  const std::string stem = plain.substr(0, plain.size() - 4);
  Check(name == plain || (name.starts_with(stem + " (") && name.ends_with(").lnk")));
  // The code closes the plain name, with refused characters as blanks.
  const std::string_view code = shortcut.episodeCode;
  const std::string_view codePart = std::string_view(plain).substr(plain.size() - 4 - code.size(), code.size());
  for (std::size_t i = 0; i < code.size(); ++i) Check(codePart[i] == (AcceptedInFileName(code[i]) ? code[i] : ' '));
  const std::size_t prefix = plain.find("] ") + 2;
  Check(plain.size() == prefix + ListedShowName(shortcut.showName).size() + 1 + shortcut.episodeCode.size() + 4);
  Check(shortcut.magnetLink == TrimBlanks(shortcut.magnetLink));
  Check(shortcut.showName == TrimBlanks(shortcut.showName) && shortcut.showName.size() <= kNameWidth);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const LocalDate date{input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>()};
  const ShowTable table = MakeTable(input);
  UserLists lists;
  lists.favoritesText = "\n" + input.ConsumeRandomLengthString(512);
  for (const ShowRecord& record : table) {
    const int copies = input.ConsumeIntegralInRange<int>(0, 2);
    for (int i = 0; i < copies; ++i) lists.favoritesText += FavoriteLine(record) + "\n";
  }

  const NewEpisodeChoice choice = ChooseNewEpisodes(table, lists.favoritesText);
  const HandOffPlan plan = PlanHandOff(choice, table, lists.favoritesText, date);

  std::size_t chosen = 0;
  for (const ChosenShow& show : choice.shows) chosen += show.episodes.size();
  Check(plan.total == static_cast<int>(chosen) && plan.shortcuts.size() == chosen);
  Check(choice.total == (chosen == 0 ? -2 : plan.total));

  std::string listText;
  std::set<std::string> names;
  for (const PlannedShortcut& shortcut : plan.shortcuts) {
    CheckShortcut(shortcut, date);
    listText += ListedShowName(shortcut.showName) + " " + shortcut.episodeCode + "\n";
    std::string folded = shortcut.fileName;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    Check(names.insert(folded).second);  // each episode has a file of its own
  }
  Check(plan.listText == listText);

  // Opened last made first, each once.
  Check(plan.launchOrder.size() == plan.shortcuts.size());
  for (std::size_t i = 0; i < plan.launchOrder.size(); ++i) {
    Check(plan.launchOrder[i] == plan.shortcuts.size() - 1 - i);
  }

  // One advance per favourite with new episodes, to the newest handed over.
  std::size_t end = 0;
  for (const FavoriteAdvance& advance : plan.advances) {
    Check(advance.shortcutsBegin == end);
    Check(advance.shortcutsEnd > end && advance.shortcutsEnd <= plan.shortcuts.size());
    Check(plan.shortcuts[advance.shortcutsEnd - 1].episodeCode == advance.lastWatched);
    Check(plan.shortcuts[advance.shortcutsEnd - 1].showIndex == advance.showIndex);
    end = advance.shortcutsEnd;
  }
  Check(end == plan.shortcuts.size());

  ShowTable applied = table;
  UserLists appliedLists = lists;
  ApplyHandOff(plan, applied, appliedLists);
  Check(appliedLists.favoritesText == plan.favoritesText);
  for (const FavoriteAdvance& advance : plan.advances) {
    Check(IsNewerEpisode(advance.lastWatched, table[advance.showIndex].lastWatched));
  }
  if (!plan.advances.empty()) {
    const FavoriteAdvance& last = plan.advances.back();
    Check(applied[last.showIndex].lastWatched == last.lastWatched);
  }

  // What the worker may meet: each shortcut written, or not (then the
  // favourite's later ones are not tried).
  HandOffOutcomes outcomes(plan.shortcuts.size());
  for (const FavoriteAdvance& advance : plan.advances) {
    for (std::size_t i = advance.shortcutsBegin; i < advance.shortcutsEnd; ++i) {
      if (!input.ConsumeBool()) {
        outcomes[i] = {ShortcutFate::Failed, input.ConsumeRandomLengthString(16)};
        break;
      }
      outcomes[i].fate = ShortcutFate::Written;
    }
  }
  std::size_t written = 0;
  std::string writtenList;
  for (std::size_t i = 0; i < plan.shortcuts.size(); ++i) {
    if (outcomes[i].fate != ShortcutFate::Written) continue;
    ++written;
    writtenList += EpisodeLine(plan.shortcuts[i]) + "\n";
  }
  for (const FavoriteAdvance& advance : plan.advances) {
    const auto moved = WrittenAdvance(plan, advance, outcomes, table);
    std::size_t first = advance.shortcutsBegin;
    while (first < advance.shortcutsEnd && outcomes[first].fate == ShortcutFate::Written) ++first;
    Check(moved.has_value() == (first > advance.shortcutsBegin));
    if (!moved) continue;
    // To the newest written before the first not written, never past it.
    Check(moved->lastWatched == plan.shortcuts[first - 1].episodeCode);
    Check(!IsNewerEpisode(moved->lastWatched, advance.lastWatched));
    Check(IsNewerEpisode(moved->lastWatched, table[advance.showIndex].lastWatched));
    ShowRecord fields = table[advance.showIndex];
    fields.lastWatched = moved->lastWatched;
    Check(moved->favoriteLine == FavoriteLine(fields));
  }

  const LanguageTexts texts;
  const std::string question = HandOffQuestion(texts, plan, outcomes, "C:\\Epiloom\\");
  Check(question.starts_with(texts[TextKey::LaunchTorrent1] + " " + ToDecimal(static_cast<long long>(written)) + " "));
  Check(question.find("\n" + writtenList + "\n") != std::string::npos && question.ends_with("C:\\Epiloom\\)"));
  const std::string problems = ShortcutProblemText(texts, plan, outcomes);
  Check(problems.empty() == (written == plan.shortcuts.size()));
  Check(problems.empty() || question.find(problems) != std::string::npos);
  if (written == plan.shortcuts.size()) Check(question.find(plan.listText) != std::string::npos);
  return 0;
}
