#include "site/HandOff.h"

#include <cstdio>
#include <map>

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

HandOffPlan PlanHandOff(const NewEpisodeChoice& choice, const ShowTable& table, std::string_view favoritesText,
                        const LocalDate& today) {
  HandOffPlan plan;
  UserLists lists;
  lists.favoritesText = std::string(favoritesText);
  // The records as the advances leave them, for the lines they rebuild.
  std::map<std::size_t, ShowRecord> advanced;

  for (const ChosenShow& show : choice.shows) {
    if (!ShowFound(table, show.showIndex) || show.episodes.empty()) continue;
    const ShowRecord& record = table[show.showIndex];
    const std::string name(TrimBlanks(CutTo(record.name, kNameWidth)));
    for (const Episode& episode : show.episodes) {
      PlannedShortcut shortcut;
      shortcut.showIndex = show.showIndex;
      shortcut.showName = name;
      shortcut.episodeCode = episode.episodeCode;
      shortcut.fileName = ShortcutFileName(today, name, episode.episodeCode);
      shortcut.magnetLink = std::string(TrimBlanks(episode.magnetLink));
      plan.listText += ListedShowName(name) + " " + episode.episodeCode + "\n";
      plan.shortcuts.push_back(std::move(shortcut));
    }

    // The episodes are sorted by code: the last one is the newest.
    FavoriteAdvance advance;
    advance.favoriteNumber = show.favoriteNumber;
    advance.showIndex = show.showIndex;
    advance.lastWatched = show.episodes.back().episodeCode;
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

std::string HandOffQuestion(const LanguageTexts& texts, const HandOffPlan& plan, std::string_view folderPath) {
  std::string question =
      texts[TextKey::LaunchTorrent1] + " " + ToDecimal(plan.total) + " " + texts[TextKey::LaunchTorrent2] + "\n";
  question += plan.listText;
  question += "\n";
  question += texts[TextKey::LaunchTorrent3] + "\n";
  question += texts[TextKey::LaunchTorrent4] + "\n";
  question.append(folderPath);
  question += ")";
  return question;
}

}  // namespace epiloom
