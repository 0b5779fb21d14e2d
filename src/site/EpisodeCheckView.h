// The episode-check dialog as the check sees it: the show whose page is
// being read and the favourite counter.
#pragma once

#include <string>

#include "support/CancelFlag.h"

namespace epiloom {

class EpisodeCheckView {
 public:
  virtual ~EpisodeCheckView() = default;
  virtual void SetCurrentShow(const std::string& name) = 0;
  virtual void SetCounter(const std::string& text) = 0;  // "(k/count)"
};

// Drops every write once the check has been abandoned.
class WorkerEpisodeCheckView : public EpisodeCheckView {
 public:
  WorkerEpisodeCheckView(EpisodeCheckView& dialog, CancelToken cancel)
      : dialog_(dialog), cancel_(std::move(cancel)) {}

  void SetCurrentShow(const std::string& name) override {
    if (!cancel_->Raised()) dialog_.SetCurrentShow(name);
  }
  void SetCounter(const std::string& text) override {
    if (!cancel_->Raised()) dialog_.SetCounter(text);
  }

 private:
  EpisodeCheckView& dialog_;
  CancelToken cancel_;
};

}  // namespace epiloom
