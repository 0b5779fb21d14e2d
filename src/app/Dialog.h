// Base of every window of the program: a dialog built from an in-memory
// template. One trampoline stores the object at WM_INITDIALOG and dispatches
// each message to a named hook; no exception ever crosses it.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/DialogTemplate.h"
#include "app/Look.h"
#include "support/SystemProcedure_win.h"
#include "support/Win32Handles_win.h"

namespace epiloom::win {

class Dialog {
 public:
  Dialog() = default;
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally and returns its result when it has ended. The
  // fonts made with Font() are deleted when the modal run returns.
  INT_PTR RunModal(HWND owner, DialogTemplate& dialogTemplate);
  // Creates the dialog modeless; the owner's message loop must pass its
  // messages through IsDialogMessage. False when it could not be created.
  bool CreateModeless(HWND owner, DialogTemplate& dialogTemplate);
  // Ends the dialog: the modal run returns `result`; a modeless dialog is destroyed.
  void End(INT_PTR result);

  HWND hwnd() const { return hwnd_; }

 protected:
  // The hooks. Each has a default that does nothing, except OnCancel (Escape,
  // the Cancel button, the close box), which ends the dialog with 0.
  virtual void OnInit() {}
  virtual void OnCommand(int /*controlId*/, int /*notification*/) {}
  virtual void OnTimer(UINT_PTR /*timerId*/) {}
  virtual void OnCancel() { End(0); }
  virtual void OnClose() { OnCancel(); }
  // Called by End() before the dialog goes. A modal dialog is destroyed only
  // once its message loop has returned, so work that must stop when the user
  // ends the dialog stops here rather than in OnDestroy.
  virtual void OnEnding() {}
  virtual void OnDestroy() {}
  // WM_CTLCOLOR*: by default labels in the house colour on the house background.
  virtual INT_PTR OnControlColor(UINT message, HDC dc, HWND control);
  // Any other message: true when handled, with the answer in `answer`.
  virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, INT_PTR& /*answer*/) {
    return false;
  }

  // A Tahoma font owned by the dialog until its modal run returns.
  HFONT Font(int points, bool bold);
  void SetControlFont(int controlId, HFONT font);
  HWND Control(int controlId) const { return ::GetDlgItem(hwnd_, controlId); }

  HWND hwnd_ = nullptr;

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  static_assert(std::is_same_v<decltype(&Procedure), NoThrow<DLGPROC>>);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  bool modal_ = true;
  std::unique_ptr<ColorAnswer> background_;
  std::vector<GdiObject> fonts_;
};

// Moves a window to the centre of the screen's work area.
void CenterOnScreen(HWND window);

}  // namespace epiloom::win
