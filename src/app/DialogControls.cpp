#include "app/DialogControls.h"

#include <commctrl.h>

namespace epiloom::win {

void DialogControls::SetText(int controlId, const std::string& text) {
  ::SetDlgItemTextA(window_, controlId, text.c_str());
}

void DialogControls::Show(int controlId, bool visible) { ::ShowWindow(Control(controlId), visible ? SW_SHOW : SW_HIDE); }

void DialogControls::Enable(int controlId, bool enabled) { ::EnableWindow(Control(controlId), enabled); }

void DialogControls::SetProgressRange(int controlId, int maximum, int step) {
  ::SendDlgItemMessageA(window_, controlId, PBM_SETRANGE32, 0, maximum);
  ::SendDlgItemMessageA(window_, controlId, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
  ::SendDlgItemMessageA(window_, controlId, PBM_SETPOS, 0, 0);
}

int DialogControls::ListCount(int controlId) {
  return static_cast<int>(::SendDlgItemMessageA(window_, controlId, LB_GETCOUNT, 0, 0));
}

int DialogControls::ListAppend(int controlId, const std::string& text) {
  // The list is not sorted, so LB_ADDSTRING appends at the end.
  return static_cast<int>(
      ::SendDlgItemMessageA(window_, controlId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

void DialogControls::ListSetItemData(int controlId, int index, std::intptr_t data) {
  ::SendDlgItemMessageA(window_, controlId, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
}

void DialogControls::Repaint(int controlId) {
  const HWND control = Control(controlId);
  ::InvalidateRect(control, nullptr, FALSE);
  ::UpdateWindow(control);
}

}  // namespace epiloom::win
