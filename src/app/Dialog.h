// Base of every window of the program: a modal dialog built from an
// in-memory template, whose messages reach the object's OnMessage.
#pragma once

#include <windows.h>

#include "app/DialogTemplate.h"

namespace epiloom::win {

class Dialog {
 public:
  Dialog() = default;
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally and returns its result when it has ended.
  INT_PTR RunModal(HWND owner, DialogTemplate& dialogTemplate);

  HWND hwnd() const { return hwnd_; }

 protected:
  // Returns the dialog procedure's answer; `handled` false passes the
  // message to the dialog manager's default handling.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

  HWND hwnd_ = nullptr;

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// Moves a window to the centre of the screen's work area.
void CenterOnScreen(HWND window);

}  // namespace epiloom::win
