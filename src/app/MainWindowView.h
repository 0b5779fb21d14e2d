// The main window's controls in the roles the core writes them. Safe to use
// from a worker thread: every write is a message sent to the window's own
// thread.
#pragma once

#include <windows.h>

#include "support/ShowListView.h"

namespace epiloom::win {

class MainWindowView : public ShowListView {
 public:
  explicit MainWindowView(HWND window) : window_(window) {}

  void SetStatusText(const std::string& text) override;
  void ShowSpinner(bool visible) override;
  void ShowUpdateProgress(int maximum, int step) override;
  void HideUpdateProgress() override;
  int ListedShowCount() override;
  void AppendShow(const std::string& name, bool favorite) override;
  void SetSettingsButtonText(const std::string& text) override;
  void SetDownloadButtonText(const std::string& text) override;
  void EnableEpisodeButtons(bool enabled) override;
  void SetBlacklistLabelText(const std::string& text) override;
  void EnableBlacklistLabel(bool enabled) override;
  void SetAboutLineText(const std::string& text) override;

 private:
  HWND window_;
};

}  // namespace epiloom::win
