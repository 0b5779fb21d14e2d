// What the show list's check boxes and context menu do to the store: tick or
// untick a show (a favourite added or removed) and move a show to the
// blacklist, with the questions asked first.
#pragma once

#include <string>
#include <string_view>

#include "i18n/LanguageTexts.h"
#include "store/ShowStore.h"

namespace epiloom {

// The question before a show is ticked (Check1 + " " + name + " " + Check2)
// or unticked (Uncheck + " " + name + " ?"), blanks trimmed.
std::string ToggleQuestion(const LanguageTexts& texts, std::string_view name, bool tick);

struct Question {
  std::string caption;
  std::string text;
};

// Before a show goes to the blacklist: caption Remove3 trimmed, text
// Remove1 + " " + name + " ?" + LF + Remove2.
Question BlacklistQuestion(const LanguageTexts& texts, std::string_view name);

// Ticks (appends the show's FavoriteLine) or unticks (removes every
// occurrence of it) the show named `name`, under the store's lock. False,
// with nothing changed, when no record has that name or the favourites were
// never loaded.
bool ToggleFavorite(ShowStore& store, std::string_view name, bool tick);

// Appends the name to the blacklist, under the store's lock. False, with
// nothing changed, when the blacklist was never loaded.
bool BlacklistListedShow(ShowStore& store, std::string_view name);

}  // namespace epiloom
