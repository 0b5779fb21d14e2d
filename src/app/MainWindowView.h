// The main window's controls in the roles the core writes them. Safe to use
// from a worker thread: every write is a message sent to the window's own
// thread.
#pragma once

#include <windows.h>

#include <vector>

#include "support/ShowListView.h"

namespace epiloom::win {

class MainWindowView : public ShowListView {
 public:
  // What ids::kAppendShowsMessage carries: the shows, and the cancel flag of
  // the worker that sends them (none from the window's own thread).
  struct ShowBatch {
    const std::vector<ListedShow>* shows;
    const CancelFlag* cancel;
  };

  // A worker's view passes its cancel token, so that the window's thread
  // drops a batch that arrives after it abandoned the worker.
  explicit MainWindowView(HWND window, CancelToken cancel = nullptr) : window_(window), cancel_(std::move(cancel)) {}

  void SetStatusText(const std::string& text) override;
  void ShowSpinner(bool visible) override;
  void ShowUpdateProgress(int maximum, int step) override;
  void HideUpdateProgress() override;
  int ListedShowCount() override;
  void AppendShows(const std::vector<ListedShow>& shows) override;
  void SetSettingsButtonText(const std::string& text) override;
  void SetDownloadButtonText(const std::string& text) override;
  void EnableEpisodeButtons(bool enabled) override;
  void SetBlacklistLabelText(const std::string& text) override;
  void EnableBlacklistLabel(bool enabled) override;
  void SetAboutLineText(const std::string& text) override;

 private:
  HWND window_;
  CancelToken cancel_;
};

}  // namespace epiloom::win
