// A frame animation on an image static: each step shows the next bitmap
// resource of a numbered series ("LOADING00", "LOADING01", ...) and frees the
// bitmap shown before.
#pragma once

#include <windows.h>

#include "support/Win32Handles_win.h"

namespace epiloom::win {

class FrameAnimation {
 public:
  // `frame` is the animation's current frame; it outlives the window, so a
  // later animation of the same series goes on where this one stopped.
  FrameAnimation(const char* prefix, int frameCount, int& frame)
      : prefix_(prefix), frameCount_(frameCount), frame_(frame) {}
  FrameAnimation(const FrameAnimation&) = delete;
  FrameAnimation& operator=(const FrameAnimation&) = delete;

  // Moves to the next frame and shows it on the control.
  void Advance(HWND control);

 private:
  const char* prefix_;
  int frameCount_;
  int& frame_;
  GdiObject shown_;  // the frame the control shows, once we set one
};

}  // namespace epiloom::win
