// The counts the main window shows about the store, and the warning about
// favourites that vanished from the site.
//
// Both functions take the store's lock only to read or change the lists and
// the remembered counts, never while they write the window or show a message
// box: a worker's window writes wait for the window's thread, which may itself
// be waiting for the lock. Do not call them while holding store.mutex.
#pragma once

#include "i18n/LanguageTexts.h"
#include "store/ShowStore.h"
#include "support/CancelFlag.h"
#include "support/MessageBoxes.h"
#include "support/ShowListView.h"

namespace epiloom {

// Rewrites the main window's counts: the status line (shows listed +
// " " + Available), the settings and download buttons (favourites, never
// watched) and the blacklist label. Each is written only when its count or
// its text differs from what was last written (store.shownCounts), so a
// language switch reaches texts whose counts did not change.
//
// A worker passes its cancel flag: once it is raised, the remembered counts
// are left alone (the window writes would be dropped anyway).
void RefreshCounters(ShowStore& store, ShowListView& window, const LanguageTexts& texts,
                     const CancelFlag* cancel = nullptr);

// Puts the main window's texts in a (new) language: ApplyLanguageTexts, then,
// once shows are listed, RefreshCounters with the same texts.
void ApplyMainWindowTexts(ShowStore& store, ShowListView& window, const LanguageTexts& texts, int statusPhase);

// When missingFavorites lists any name: tells the user (exclamation notice,
// caption NotOnKestrix3 trimmed, body NotOnKestrix1 + the names one per line +
// NotOnKestrix2), removes those favourites' lines, then RefreshCounters.
void PruneMissingFavorites(ShowStore& store, MessageBoxes& boxes, ShowListView& window,
                           const LanguageTexts& texts);

}  // namespace epiloom
