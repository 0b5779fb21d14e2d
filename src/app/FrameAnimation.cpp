#include "app/FrameAnimation.h"

namespace epiloom::win {

void FrameAnimation::Advance(HWND control) {
  frame_ = (frame_ + 1) % frameCount_;
  char name[32];
  wsprintfA(name, "%s%02d", prefix_, frame_);
  // Loaded at its own pixel size each time.
  GdiObject next(::LoadImageA(::GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  const auto previous = reinterpret_cast<HGDIOBJ>(
      ::SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(next.get())));
  // The bitmap shown before is freed: either the first frame, loaded by the
  // control from the template, or our own previous one (freed by the move).
  if (previous != nullptr && previous != shown_.get()) ::DeleteObject(previous);
  shown_ = std::move(next);
}

}  // namespace epiloom::win
