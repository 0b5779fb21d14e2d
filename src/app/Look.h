// The program's look in one place: the window styles, the colours, the Tahoma
// fonts and the answer to the control-colour messages.
#pragma once

#include <windows.h>

#include "support/Win32Handles_win.h"

namespace epiloom::win {

// Popup with caption, system menu and modal frame, 3-D look, clip siblings,
// shown after initialisation; no minimise or maximise box, not resizable.
inline constexpr DWORD kWindowStyle = 0x94C800D4;
inline constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;

inline constexpr COLORREF kBackground = RGB(241, 245, 248);
inline constexpr COLORREF kLabelText = RGB(0, 6, 54);
inline constexpr COLORREF kBlacklistText = RGB(130, 136, 184);
inline constexpr COLORREF kAboutText = RGB(40, 46, 94);
inline constexpr COLORREF kAboutBackground = RGB(224, 223, 227);
inline constexpr COLORREF kProgressBar = RGB(30, 180, 0);
inline constexpr COLORREF kProgressBackground = RGB(221, 225, 228);
// The settings pages' season and episode displays while they can be changed
// (inactive ones are labels).
inline constexpr COLORREF kActiveDisplayText = RGB(224, 223, 227);
inline constexpr COLORREF kActiveDisplayBackground = RGB(0, 6, 54);
// The blacklist dialog's two lists: candidates black on white, blacklisted
// shows white on black.
inline constexpr COLORREF kCandidateListText = RGB(0, 0, 0);
inline constexpr COLORREF kCandidateListBackground = RGB(255, 255, 255);
inline constexpr COLORREF kBlacklistedListText = RGB(255, 255, 255);
inline constexpr COLORREF kBlacklistedListBackground = RGB(0, 0, 0);

// "Tahoma" at the given point size for the window's screen.
GdiObject MakeTahoma(HWND window, int points, bool bold);

// Gives a progress bar its own colours (visual styles would ignore them).
void SetProgressBarColors(HWND bar, COLORREF barColor, COLORREF background);

// A solid background and the answer to WM_CTLCOLOR* for what is painted on it.
class ColorAnswer {
 public:
  explicit ColorAnswer(COLORREF background);
  // Sets the text colour and the background colour; returns the brush.
  INT_PTR Paint(HDC dc, COLORREF text) const;

 private:
  COLORREF background_;
  GdiObject brush_;
};

}  // namespace epiloom::win
