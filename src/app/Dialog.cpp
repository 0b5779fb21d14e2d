#include "app/Dialog.h"

namespace epiloom::win {

INT_PTR Dialog::RunModal(HWND owner, DialogTemplate& dialogTemplate) {
  modal_ = true;
  const INT_PTR result = ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), dialogTemplate.Get(), owner,
                                                   &Dialog::Procedure, reinterpret_cast<LPARAM>(this));
  // The fonts live as long as the modal run.
  fonts_.clear();
  return result;
}

bool Dialog::CreateModeless(HWND owner, DialogTemplate& dialogTemplate) {
  modal_ = false;
  return ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), dialogTemplate.Get(), owner, &Dialog::Procedure,
                                      reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::End(INT_PTR result) {
  if (hwnd_ == nullptr) return;
  OnEnding();
  if (modal_) {
    ::EndDialog(hwnd_, result);
  } else {
    ::DestroyWindow(hwnd_);
  }
}

HFONT Dialog::Font(int points, bool bold) {
  fonts_.push_back(MakeTahoma(hwnd_, points, bold));
  return static_cast<HFONT>(fonts_.back().get());
}

void Dialog::SetControlFont(int controlId, HFONT font) {
  ::SendDlgItemMessageA(hwnd_, controlId, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

INT_PTR Dialog::OnControlColor(UINT message, HDC dc, HWND /*control*/) {
  if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX || message == WM_CTLCOLORSCROLLBAR) return FALSE;
  if (!background_) background_ = std::make_unique<ColorAnswer>(kBackground);
  return background_->Paint(dc, kLabelText);
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_INITDIALOG:
      CenterOnScreen(hwnd_);
      OnInit();
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        OnCancel();
      } else {
        OnCommand(LOWORD(wParam), HIWORD(wParam));
      }
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSCROLLBAR:
      return OnControlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default: {
      INT_PTR answer = 0;
      handled = OnMessage(message, wParam, lParam, answer);
      return answer;
    }
  }
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  // The object arrives with WM_INITDIALOG; messages before it (WM_SETFONT)
  // get the default handling.
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrA(window, DWLP_USER, lParam);
    reinterpret_cast<Dialog*>(lParam)->hwnd_ = window;
  }
  auto* dialog = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;

  bool handled = true;
  INT_PTR answer = 0;
  // An exception must not unwind through the system's code that called us:
  // the message counts as not handled and the window goes on.
  try {
    answer = dialog->Dispatch(message, wParam, lParam, handled);
  } catch (...) {
    handled = false;
  }
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
    case WM_CTLCOLORSCROLLBAR:
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
