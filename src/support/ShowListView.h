// The main window as the core sees it: the show list and the status line,
// counts, buttons and labels around it. The update check, the show list load,
// the counters and the language texts write the window only through this; the
// shell maps each role onto its control, and tests record the calls.
#pragma once

#include <string>
#include <vector>

#include "support/CancelFlag.h"

namespace epiloom {

// A show as the list shows it: its name, ticked when it is a favourite.
struct ListedShow {
  std::string name;
  bool favorite = false;
};

class ShowListView {
 public:
  virtual ~ShowListView() = default;

  virtual void SetStatusText(const std::string& text) = 0;
  virtual void ShowSpinner(bool visible) = 0;

  // The progress bar shown while the updater downloads: range 0..maximum,
  // the given step, position 0, shown; then hidden again.
  virtual void ShowUpdateProgress(int maximum, int step) = 0;
  virtual void HideUpdateProgress() = 0;

  // Number of shows in the list.
  virtual int ListedShowCount() = 0;
  // Appends shows at the end of the list in the given order, each ticked
  // when it is a favourite; the list shows them, ticks included, at once.
  // The whole batch costs the window one repaint, not one per show.
  virtual void AppendShows(const std::vector<ListedShow>& shows) = 0;

  virtual void SetSettingsButtonText(const std::string& text) = 0;
  virtual void SetDownloadButtonText(const std::string& text) = 0;
  // The settings and the download button together.
  virtual void EnableEpisodeButtons(bool enabled) = 0;
  virtual void SetBlacklistLabelText(const std::string& text) = 0;
  virtual void EnableBlacklistLabel(bool enabled) = 0;
  virtual void SetAboutLineText(const std::string& text) = 0;
};

// The main window as a worker sees it: every write is dropped once the
// worker has been abandoned, so an abandoned worker never touches the window
// again.
class WorkerShowListView : public ShowListView {
 public:
  WorkerShowListView(ShowListView& window, CancelToken cancel) : window_(window), cancel_(std::move(cancel)) {}

  void SetStatusText(const std::string& text) override {
    if (!Abandoned()) window_.SetStatusText(text);
  }
  void ShowSpinner(bool visible) override {
    if (!Abandoned()) window_.ShowSpinner(visible);
  }
  void ShowUpdateProgress(int maximum, int step) override {
    if (!Abandoned()) window_.ShowUpdateProgress(maximum, step);
  }
  void HideUpdateProgress() override {
    if (!Abandoned()) window_.HideUpdateProgress();
  }
  int ListedShowCount() override { return Abandoned() ? 0 : window_.ListedShowCount(); }
  void AppendShows(const std::vector<ListedShow>& shows) override {
    if (!Abandoned()) window_.AppendShows(shows);
  }
  void SetSettingsButtonText(const std::string& text) override {
    if (!Abandoned()) window_.SetSettingsButtonText(text);
  }
  void SetDownloadButtonText(const std::string& text) override {
    if (!Abandoned()) window_.SetDownloadButtonText(text);
  }
  void EnableEpisodeButtons(bool enabled) override {
    if (!Abandoned()) window_.EnableEpisodeButtons(enabled);
  }
  void SetBlacklistLabelText(const std::string& text) override {
    if (!Abandoned()) window_.SetBlacklistLabelText(text);
  }
  void EnableBlacklistLabel(bool enabled) override {
    if (!Abandoned()) window_.EnableBlacklistLabel(enabled);
  }
  void SetAboutLineText(const std::string& text) override {
    if (!Abandoned()) window_.SetAboutLineText(text);
  }

  bool Abandoned() const { return cancel_->Raised(); }
  const CancelToken& cancel() const { return cancel_; }

 private:
  ShowListView& window_;
  CancelToken cancel_;
};

}  // namespace epiloom
