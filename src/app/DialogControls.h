// The controls of a real window, written with window messages. Safe to use
// from a worker thread: the messages are sent to the window's own thread.
#pragma once

#include <windows.h>

#include "support/WindowControls.h"

namespace epiloom::win {

class DialogControls : public WindowControls {
 public:
  explicit DialogControls(HWND window) : window_(window) {}

  void SetText(int controlId, const std::string& text) override;
  void Show(int controlId, bool visible) override;
  void Enable(int controlId, bool enabled) override;
  void SetProgressRange(int controlId, int maximum, int step) override;
  int ListCount(int controlId) override;
  int ListAppend(int controlId, const std::string& text) override;
  void ListSetItemData(int controlId, int index, std::intptr_t data) override;
  void Repaint(int controlId) override;

 private:
  HWND Control(int controlId) const { return ::GetDlgItem(window_, controlId); }
  HWND window_;
};

}  // namespace epiloom::win
