#include "ui/ShowListBox.h"

namespace epiloom::ui {
namespace {

// The list box's own procedure, saved when the list is subclassed.
WNDPROC ShowListOldProc = nullptr;

LRESULT CALLBACK ShowListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcA(ShowListOldProc, list, message, wParam, lParam);
}

LRESULT DrawItem(HWND list, UINT message, WPARAM wParam, const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return 0;

  if (item.itemAction == ODA_DRAWENTIRE || item.itemAction == ODA_SELECT) {
    const HDC dc = item.hDC;
    RECT rect = item.rcItem;
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_MENU));
    ::SetBkColor(dc, ::GetSysColor(COLOR_MENU));
    ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));

    // Names are at most 42 characters; a longer string is drawn cut.
    char name[64] = {};
    const LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, item.itemID, 0);
    if (length >= 0 && length < static_cast<LRESULT>(sizeof name)) {
      ::SendMessageA(list, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(name));
    }
    ::TextOutA(dc, 18, rect.top + 2, name, static_cast<int>(::lstrlenA(name)));

    if (item.itemState & ODS_SELECTED) {
      RECT selected{16, rect.top, rect.right, rect.bottom};
      ::InvertRect(dc, &selected);
    }
    RECT box{2, rect.top + 2, 15, rect.bottom - 1};
    UINT state = DFCS_BUTTONCHECK;
    if (item.itemData != 0) state |= DFCS_CHECKED;
    ::DrawFrameControl(dc, &box, DFC_BUTTON, state);
    return TRUE;
  }
  if (item.itemAction == ODA_FOCUS) {
    RECT rect = item.rcItem;
    ::DrawFocusRect(item.hDC, &rect);
  }
  return ::CallWindowProcA(ShowListOldProc, list, message, wParam, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void SubclassShowList(HWND list) {
  ShowListOldProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ShowListProc)));
}

void RestoreShowList(HWND list) {
  if (ShowListOldProc == nullptr) return;
  ::SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ShowListOldProc));
  ShowListOldProc = nullptr;
}

LRESULT HandleShowListItemMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) return DrawItem(list, message, wParam, *reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
  // Measuring keeps the list box's default item height.
  if (ShowListOldProc == nullptr) return 0;
  return ::CallWindowProcA(ShowListOldProc, list, message, wParam, lParam);
}

}  // namespace epiloom::ui
