// The main window's texts, composed from the language texts: the one place
// where they are put together, used by the counters and by a language switch.
#pragma once

#include <string>

#include "i18n/LanguageTexts.h"

namespace epiloom {

class ShowListView;

// What the status line reports while the show list is empty.
enum StatusPhase : int { kCheckingVersion = 0, kGettingShowList = 1, kNoConnection = 2, kSiteUnavailable = 3 };

// The count of listed shows + " " + Available.
std::string ShowCountText(const LanguageTexts& texts, int listedShows);

// Param2 + LF + My + " " + [f + " "] + TVShows, the number only when f > 0,
// then LF + Inc + " " + n + " " + New when f > 0 and n > 0.
std::string SettingsButtonText(const LanguageTexts& texts, int favorites, int unwatched);

// Filtering1 + " " + b + " " + Filtering2 when b > 0, else empty.
std::string BlacklistLabelText(const LanguageTexts& texts, int blacklisted);

// Download1 + LF + Download2 + LF + Download3.
std::string DownloadButtonText(const LanguageTexts& texts);

// About1 + LF + About2.
std::string AboutLineText(const LanguageTexts& texts);

// Puts the texts that do not depend on the store's counts on the main
// window: the download button and the about line, and, while no show is
// listed, the status line of the current phase and the settings button
// without counts. With shows listed, the counts' texts are RefreshCounters'.
void ApplyLanguageTexts(ShowListView& window, const LanguageTexts& texts, int statusPhase);

}  // namespace epiloom
