// The new-episode download window as the hand-off sees it: a progress bar
// and the line naming the episode being handed over.
#pragma once

#include <string>

#include "support/CancelFlag.h"

namespace epiloom {

class DownloadView {
 public:
  virtual ~DownloadView() = default;
  // Range 0..total, step 1, empty.
  virtual void SetProgressRange(int total) = 0;
  virtual void StepProgress() = 0;
  virtual void SetEpisodeLabel(const std::string& text) = 0;
};

// Drops every write once the hand-off has been abandoned.
class WorkerDownloadView : public DownloadView {
 public:
  WorkerDownloadView(DownloadView& window, CancelToken cancel) : window_(window), cancel_(std::move(cancel)) {}

  void SetProgressRange(int total) override {
    if (!cancel_->Raised()) window_.SetProgressRange(total);
  }
  void StepProgress() override {
    if (!cancel_->Raised()) window_.StepProgress();
  }
  void SetEpisodeLabel(const std::string& text) override {
    if (!cancel_->Raised()) window_.SetEpisodeLabel(text);
  }

 private:
  DownloadView& window_;
  CancelToken cancel_;
};

}  // namespace epiloom
