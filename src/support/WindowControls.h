// The controls of a window, addressed by their numeric IDs. Workers and the
// language code write the main window and the dialogs only through this, so
// the shell can send the real window messages and tests can record them.
#pragma once

#include <cstdint>
#include <string>

namespace epiloom {

class WindowControls {
 public:
  virtual ~WindowControls() = default;

  virtual void SetText(int controlId, const std::string& text) = 0;
  virtual void Show(int controlId, bool visible) = 0;
  virtual void Enable(int controlId, bool enabled) = 0;

  // Progress bar: range 0..maximum, the given step, position 0.
  virtual void SetProgressRange(int controlId, int maximum, int step) = 0;

  // List box operations (the show list).
  virtual int ListCount(int controlId) = 0;
  // Appends an item and returns its index.
  virtual int ListAppend(int controlId, const std::string& text) = 0;
  virtual void ListSetItemData(int controlId, int index, std::intptr_t data) = 0;
  // Invalidate without erasing the background, then update at once.
  virtual void Repaint(int controlId) = 0;
};

}  // namespace epiloom
