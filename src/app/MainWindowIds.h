// Control IDs, timer IDs and private messages of the main window.
#pragma once

namespace epiloom::ids {

inline constexpr int kShowList = 1003;
inline constexpr int kStatusLine = 1004;
inline constexpr int kSettingsButton = 1005;
inline constexpr int kDownloadButton = 1006;
inline constexpr int kSiteBanner = 1009;
inline constexpr int kSpinner = 1010;
inline constexpr int kRefreshButton = 1011;
inline constexpr int kBlacklistLabel = 1016;
inline constexpr int kLanguageIcon = 1035;
inline constexpr int kBottomRule = 1036;
inline constexpr int kAboutLine = 1037;
inline constexpr int kUpdateProgressBar = 1038;

// Commands of the show list's two context menus.
inline constexpr int kShowPopupCommand = 1001;
inline constexpr int kFavouritePopupCommand = 1002;

inline constexpr unsigned kUpdatePhaseTimer = 1424;
inline constexpr unsigned kShowListPhaseTimer = 1425;

// Posted by the download window when its countdown ends (WM_USER + 404).
inline constexpr unsigned kCloseMainWindowMessage = 1428;

// Sent by the show list worker with a batch of shows to append (lParam: a
// MainWindowView::ShowBatch), handled on the window's thread (WM_APP + 40).
inline constexpr unsigned kAppendShowsMessage = 0x8000 + 40;

// Posted by the show list to itself once the click or key that asks to tick
// or untick a show has been handled (wParam: the item), so that the question
// is asked when the list has let go of the mouse (WM_APP + 41).
inline constexpr unsigned kAskToggleMessage = 0x8000 + 41;

}  // namespace epiloom::ids
