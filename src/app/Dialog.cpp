#include "app/Dialog.h"

namespace epiloom::win {

INT_PTR Dialog::RunModal(HWND owner, DialogTemplate& dialogTemplate) {
  return ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), dialogTemplate.Get(), owner, &Dialog::Procedure,
                                   reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The object arrives with WM_INITDIALOG; messages before it (WM_SETFONT)
  // get the default handling.
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrA(window, DWLP_USER, lParam);
    reinterpret_cast<Dialog*>(lParam)->hwnd_ = window;
  }
  auto* dialog = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;

  bool handled = true;
  const INT_PTR answer = dialog->OnMessage(message, wParam, lParam, handled);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(window, DWLP_USER, 0);
    dialog->hwnd_ = nullptr;
  }
  if (!handled) return FALSE;
  // Answers that are not TRUE/FALSE (brushes, ...) go through DWLP_MSGRESULT
  // except for the messages whose return value is the answer itself.
  switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_INITDIALOG:
      return answer;
    default:
      ::SetWindowLongPtrA(window, DWLP_MSGRESULT, answer);
      return TRUE;
  }
}

void CenterOnScreen(HWND window) {
  RECT area{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;
  ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace epiloom::win
