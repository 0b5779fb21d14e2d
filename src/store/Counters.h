// The counts the main window shows about the store, and the warning about
// favourites that vanished from the site.
//
// Both functions take the store's lock only to read or change the lists and
// the remembered counts, never while they write the window or show a message
// box: a worker's window writes wait for the window's thread, which may itself
// be waiting for the lock. Do not call them while holding store.mutex.
#pragma once

#include <string>

#include "i18n/LanguageTexts.h"
#include "store/ShowStore.h"
#include "support/CancelFlag.h"
#include "support/MessageBoxes.h"
#include "support/WindowControls.h"

namespace epiloom {

// Param2 + LF + My + " " + [f + " "] + TVShows, the number only when f > 0,
// then LF + Inc + " " + n + " " + New when f > 0 and n > 0.
std::string SettingsButtonText(const LanguageTexts& texts, int favorites, int unwatched);

// Filtering1 + " " + b + " " + Filtering2 when b > 0, else empty.
std::string BlacklistLabelText(const LanguageTexts& texts, int blacklisted);

// Rewrites the main window's counts: the status line (items of the show list +
// " " + Available), the settings and download buttons (favourites, never
// watched) and the blacklist label. Each is written only when its count
// differs from the one remembered in store.shownCounts.
//
// A worker passes its cancel flag: once it is raised, the remembered counts
// are left alone (the window writes would be dropped anyway).
void RefreshCounters(ShowStore& store, WindowControls& window, const LanguageTexts& texts,
                     const CancelFlag* cancel = nullptr);

// When missingFavorites lists any name: tells the user (exclamation notice,
// caption NotOnKestrix3 trimmed, body NotOnKestrix1 + the names one per line +
// NotOnKestrix2), removes those favourites' lines, then RefreshCounters.
void PruneMissingFavorites(ShowStore& store, MessageBoxes& boxes, WindowControls& window,
                           const LanguageTexts& texts);

}  // namespace epiloom
