#include "app/Look.h"

#include <commctrl.h>
#include <uxtheme.h>

namespace epiloom::win {

GdiObject MakeTahoma(HWND window, int points, bool bold) {
  const HDC dc = ::GetDC(window);
  const int height = -::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
  ::ReleaseDC(window, dc);
  return GdiObject(::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                 "Tahoma"));
}

void SetProgressBarColors(HWND bar, COLORREF barColor, COLORREF background) {
  // A theme name that no theme has turns visual styles off for the bar; an
  // empty one is refused by Wine's uxtheme.
  ::SetWindowTheme(bar, L" ", L" ");
  ::SendMessageA(bar, PBM_SETBARCOLOR, 0, barColor);
  ::SendMessageA(bar, PBM_SETBKCOLOR, 0, background);
}

ColorAnswer::ColorAnswer(COLORREF background) : background_(background), brush_(::CreateSolidBrush(background)) {}

INT_PTR ColorAnswer::Paint(HDC dc, COLORREF text) const {
  ::SetTextColor(dc, text);
  ::SetBkColor(dc, background_);
  return reinterpret_cast<INT_PTR>(brush_.get());
}

}  // namespace epiloom::win
