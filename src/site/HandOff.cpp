#include "site/HandOff.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "i18n/LanguageTexts.h"
#include "store/ShowTable.h"
#include "store/UserLists.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

// Characters that Windows does not accept in a file name.
bool RefusedInFileName(char c) {
  if (static_cast<unsigned char>(c) < 32) return true;
  switch (c) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
      return true;
    default:
      return false;
  }
}

void AppendFileNamePart(std::string& fileName, std::string_view part) {
  for (const char c : part) fileName.push_back(RefusedInFileName(c) ? ' ' : c);
}

// The fields of a record that its favourite line is built from.
ShowRecord LineFields(const ShowRecord& record) {
  ShowRecord fields;
  fields.name = record.name;
  fields.pagePath = record.pagePath;
  fields.quality = record.quality;
  fields.lastWatched = record.lastWatched;
  return fields;
}

// One favourite moves on: its record gets the newest code, then every
// occurrence of its line, as the text now reads, becomes the rebuilt line.
void Advance(ShowRecord& record, UserLists& lists, const FavoriteAdvance& advance) {
  record.lastWatched = advance.lastWatched;
  ReplaceFavoriteLine(lists, advance.favoriteNumber, record);
}

// A file name as Windows compares them: letter case ignored (ASCII letters;
// the program's names are ANSI bytes).
std::string FoldedName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// `fileName`, or where the plan holds that name already, the first of
// "... (2).lnk", "... (3).lnk", ... that it does not; the name taken is
// added to `taken`.
std::string UniqueFileName(const std::string& fileName, std::set<std::string>& taken) {
  if (taken.insert(FoldedName(fileName)).second) return fileName;
  const std::string stem = fileName.substr(0, fileName.size() - 4);  // without ".lnk"
  for (int n = 2;; ++n) {
    std::string candidate = stem + " (" + ToDecimal(n) + ").lnk";
    if (taken.insert(FoldedName(candidate)).second) return candidate;
  }
}

}  // namespace

std::string ListedShowName(std::string_view name) {
  std::string listed;
  for (const char c : TrimBlanks(CutTo(name, kNameWidth))) {
    if (c != ',') listed.push_back(c);
  }
  return listed;
}

std::string ShortcutFileName(const LocalDate& date, std::string_view showName, std::string_view episodeCode) {
  char day[48];
  std::snprintf(day, sizeof day, "[%04d-%02d-%02d] ", date.year, date.month, date.day);
  std::string fileName(day);
  AppendFileNamePart(fileName, ListedShowName(showName));
  fileName.push_back(' ');
  AppendFileNamePart(fileName, episodeCode);
  fileName.append(".lnk");
  return fileName;
}

std::string ShortcutDescription(std::string_view homeUrl) {
  std::string description = "Torrent magnet created by Epiloom ";
  description.append(homeUrl);
  return description;
}

std::string ProgressLabel(const PlannedShortcut& shortcut) { return shortcut.showName + " " + shortcut.episodeCode; }

std::string EpisodeLine(const PlannedShortcut& shortcut) {
  return ListedShowName(shortcut.showName) + " " + shortcut.episodeCode;
}

HandOffPlan PlanHandOff(const NewEpisodeChoice& choice, const ShowTable& table, std::string_view favoritesText,
                        const LocalDate& today) {
  HandOffPlan plan;
  UserLists lists;
  lists.favoritesText = std::string(favoritesText);
  // The records as the advances leave them, for the lines they rebuild.
  std::map<std::size_t, ShowRecord> advanced;
  std::set<std::string> fileNames;  // folded

  for (const ChosenShow& show : choice.shows) {
    if (!ShowFound(table, show.showIndex) || show.episodes.empty()) continue;
    const ShowRecord& record = table[show.showIndex];
    const std::string name(TrimBlanks(CutTo(record.name, kNameWidth)));
    const std::size_t begin = plan.shortcuts.size();
    for (const Episode& episode : show.episodes) {
      PlannedShortcut shortcut;
      shortcut.showIndex = show.showIndex;
      shortcut.showName = name;
      shortcut.episodeCode = episode.episodeCode;
      shortcut.fileName = UniqueFileName(ShortcutFileName(today, name, episode.episodeCode), fileNames);
      shortcut.magnetLink = std::string(TrimBlanks(episode.magnetLink));
      plan.listText += EpisodeLine(shortcut) + "\n";
      plan.shortcuts.push_back(std::move(shortcut));
    }

    // The episodes are sorted by code: the last one is the newest.
    FavoriteAdvance advance;
    advance.favoriteNumber = show.favoriteNumber;
    advance.showIndex = show.showIndex;
    advance.lastWatched = show.episodes.back().episodeCode;
    advance.shortcutsBegin = begin;
    advance.shortcutsEnd = plan.shortcuts.size();
    ShowRecord& fields = advanced.try_emplace(show.showIndex, LineFields(record)).first->second;
    Advance(fields, lists, advance);
    advance.favoriteLine = FavoriteLine(fields);
    plan.advances.push_back(std::move(advance));
  }

  plan.total = static_cast<int>(plan.shortcuts.size());
  for (std::size_t made = plan.shortcuts.size(); made > 0; --made) plan.launchOrder.push_back(made - 1);
  plan.favoritesText = std::move(lists.favoritesText);
  return plan;
}

void ApplyFavoriteAdvance(const FavoriteAdvance& advance, ShowTable& table, UserLists& lists) {
  if (ShowFound(table, advance.showIndex)) Advance(table[advance.showIndex], lists, advance);
}

void ApplyHandOff(const HandOffPlan& plan, ShowTable& table, UserLists& lists) {
  for (const FavoriteAdvance& advance : plan.advances) ApplyFavoriteAdvance(advance, table, lists);
}

std::optional<FavoriteAdvance> WrittenAdvance(const HandOffPlan& plan, const FavoriteAdvance& planned,
                                              const HandOffOutcomes& outcomes, const ShowTable& table) {
  std::size_t written = planned.shortcutsBegin;
  while (written < planned.shortcutsEnd && written < outcomes.size() &&
         outcomes[written].fate == ShortcutFate::Written) {
    ++written;
  }
  if (written == planned.shortcutsBegin || !ShowFound(table, planned.showIndex)) return std::nullopt;
  if (written == planned.shortcutsEnd) return planned;
  FavoriteAdvance advance = planned;
  advance.lastWatched = plan.shortcuts[written - 1].episodeCode;
  ShowRecord fields = LineFields(table[planned.showIndex]);
  fields.lastWatched = advance.lastWatched;
  advance.favoriteLine = FavoriteLine(fields);
  return advance;
}

std::string HandOffQuestion(const LanguageTexts& texts, const HandOffPlan& plan, const HandOffOutcomes& outcomes,
                            std::string_view folderPath) {
  std::string list;
  int written = 0;
  for (std::size_t i = 0; i < plan.shortcuts.size() && i < outcomes.size(); ++i) {
    if (outcomes[i].fate != ShortcutFate::Written) continue;
    list += EpisodeLine(plan.shortcuts[i]) + "\n";
    ++written;
  }
  std::string question =
      texts[TextKey::LaunchTorrent1] + " " + ToDecimal(written) + " " + texts[TextKey::LaunchTorrent2] + "\n";
  question += list;
  question += "\n";
  const std::string problems = ShortcutProblemText(texts, plan, outcomes);
  if (!problems.empty()) question += problems + "\n\n";
  question += texts[TextKey::LaunchTorrent3] + "\n";
  question += texts[TextKey::LaunchTorrent4] + "\n";
  question.append(folderPath);
  question += ")";
  return question;
}

std::string ShortcutProblemText(const LanguageTexts& texts, const HandOffPlan& plan, const HandOffOutcomes& outcomes) {
  std::string lines;
  for (std::size_t i = 0; i < plan.shortcuts.size(); ++i) {
    const ShortcutOutcome outcome = i < outcomes.size() ? outcomes[i] : ShortcutOutcome{};
    if (outcome.fate == ShortcutFate::Written) continue;
    lines += EpisodeLine(plan.shortcuts[i]);
    if (outcome.fate == ShortcutFate::Failed && !outcome.problem.empty()) lines += " (" + outcome.problem + ")";
    lines += "\n";
  }
  if (lines.empty()) return {};
  return texts[TextKey::ShortcutProblem1] + "\n" + lines + texts[TextKey::ShortcutProblem2];
}

std::string LaunchProblemText(const LanguageTexts& texts, const HandOffPlan& plan, std::vector<std::size_t> notReached,
                              std::string_view folderPath) {
  std::sort(notReached.begin(), notReached.end());
  std::string text = texts[TextKey::LaunchProblem1] + "\n";
  for (const std::size_t index : notReached) {
    if (index < plan.shortcuts.size()) text += EpisodeLine(plan.shortcuts[index]) + "\n";
  }
  text += texts[TextKey::LaunchProblem2] + "\n";
  text.append(folderPath);
  return text;
}

}  // namespace epiloom
