#include "app/MainWindowView.h"

#include <commctrl.h>

#include "app/MainWindowIds.h"

namespace epiloom::win {

void MainWindowView::SetStatusText(const std::string& text) {
  ::SetDlgItemTextA(window_, ids::kStatusLine, text.c_str());
}

void MainWindowView::ShowSpinner(bool visible) {
  ::ShowWindow(::GetDlgItem(window_, ids::kSpinner), visible ? SW_SHOW : SW_HIDE);
}

void MainWindowView::ShowUpdateProgress(int maximum, int step) {
  const HWND bar = ::GetDlgItem(window_, ids::kUpdateProgressBar);
  ::SendMessageA(bar, PBM_SETRANGE32, 0, maximum);
  ::SendMessageA(bar, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
  ::SendMessageA(bar, PBM_SETPOS, 0, 0);
  ::ShowWindow(bar, SW_SHOW);
}

void MainWindowView::HideUpdateProgress() { ::ShowWindow(::GetDlgItem(window_, ids::kUpdateProgressBar), SW_HIDE); }

int MainWindowView::ListedShowCount() {
  return static_cast<int>(::SendDlgItemMessageA(window_, ids::kShowList, LB_GETCOUNT, 0, 0));
}

void MainWindowView::AppendShows(const std::vector<ListedShow>& shows) {
  // One message per batch, not one per show, and sent, not posted: the
  // batch lives on the sender's stack until the window's thread has added
  // it (or dropped it, when it abandoned the sender meanwhile).
  ShowBatch batch{&shows, cancel_.get()};
  ::SendMessageA(window_, ids::kAppendShowsMessage, 0, reinterpret_cast<LPARAM>(&batch));
}

void MainWindowView::SetSettingsButtonText(const std::string& text) {
  ::SetDlgItemTextA(window_, ids::kSettingsButton, text.c_str());
}

void MainWindowView::SetDownloadButtonText(const std::string& text) {
  ::SetDlgItemTextA(window_, ids::kDownloadButton, text.c_str());
}

void MainWindowView::EnableEpisodeButtons(bool enabled) {
  ::EnableWindow(::GetDlgItem(window_, ids::kSettingsButton), enabled);
  ::EnableWindow(::GetDlgItem(window_, ids::kDownloadButton), enabled);
}

void MainWindowView::SetBlacklistLabelText(const std::string& text) {
  ::SetDlgItemTextA(window_, ids::kBlacklistLabel, text.c_str());
}

void MainWindowView::EnableBlacklistLabel(bool enabled) {
  ::EnableWindow(::GetDlgItem(window_, ids::kBlacklistLabel), enabled);
}

void MainWindowView::SetAboutLineText(const std::string& text) {
  ::SetDlgItemTextA(window_, ids::kAboutLine, text.c_str());
}

}  // namespace epiloom::win
