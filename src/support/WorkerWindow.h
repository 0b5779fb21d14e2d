// The window a worker writes to, as seen from the worker: every write is
// dropped once the worker has been abandoned, so an abandoned worker never
// touches a window again.
#pragma once

#include "support/CancelFlag.h"
#include "support/WindowControls.h"

namespace epiloom {

class WorkerWindow : public WindowControls {
 public:
  WorkerWindow(WindowControls& window, CancelToken cancel) : window_(window), cancel_(std::move(cancel)) {}

  void SetText(int controlId, const std::string& text) override {
    if (!Abandoned()) window_.SetText(controlId, text);
  }
  void Show(int controlId, bool visible) override {
    if (!Abandoned()) window_.Show(controlId, visible);
  }
  void Enable(int controlId, bool enabled) override {
    if (!Abandoned()) window_.Enable(controlId, enabled);
  }
  void SetProgressRange(int controlId, int maximum, int step) override {
    if (!Abandoned()) window_.SetProgressRange(controlId, maximum, step);
  }
  int ListCount(int controlId) override { return Abandoned() ? 0 : window_.ListCount(controlId); }
  int ListAppend(int controlId, const std::string& text) override {
    return Abandoned() ? -1 : window_.ListAppend(controlId, text);
  }
  void ListSetItemData(int controlId, int index, std::intptr_t data) override {
    if (!Abandoned()) window_.ListSetItemData(controlId, index, data);
  }
  void Repaint(int controlId) override {
    if (!Abandoned()) window_.Repaint(controlId);
  }

  bool Abandoned() const { return cancel_->Raised(); }
  const CancelToken& cancel() const { return cancel_; }

 private:
  WindowControls& window_;
  CancelToken cancel_;
};

}  // namespace epiloom
