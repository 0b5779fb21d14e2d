#include "app/Look.h"

namespace epiloom::win {

GdiObject MakeTahoma(HWND window, int points, bool bold) {
  const HDC dc = ::GetDC(window);
  const int height = -::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
  ::ReleaseDC(window, dc);
  return GdiObject(::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                 "Tahoma"));
}

ColorAnswer::ColorAnswer(COLORREF background) : background_(background), brush_(::CreateSolidBrush(background)) {}

INT_PTR ColorAnswer::Paint(HDC dc, COLORREF text) const {
  ::SetTextColor(dc, text);
  ::SetBkColor(dc, background_);
  return reinterpret_cast<INT_PTR>(brush_.get());
}

}  // namespace epiloom::win
