#include "ui/DownloadWindow.h"

#include <commctrl.h>

#include "app/MainWindowIds.h"
#include "app/WindowMessageBoxes.h"
#include "site/HandOffShell_win.h"
#include "support/TextUtil.h"
#include "ui/DownloadWindowIds.h"

namespace epiloom::win {
namespace {

constexpr UINT kCountdownPeriodMs = 1000;
// The first tick comes at once and shows 10.
constexpr int kCountdownStart = 11;

// The window's progress bar and label as the hand-off writes them, from the
// worker's thread.
class DownloadWindowView : public DownloadView {
 public:
  explicit DownloadWindowView(HWND window) : window_(window) {}
  void SetProgressRange(int total) override {
    ::SendDlgItemMessageA(window_, ids::kDownloadProgressBar, PBM_SETRANGE32, 0, total);
    ::SendDlgItemMessageA(window_, ids::kDownloadProgressBar, PBM_SETSTEP, 1, 0);
    ::SendDlgItemMessageA(window_, ids::kDownloadProgressBar, PBM_SETPOS, 0, 0);
  }
  void StepProgress() override { ::SendDlgItemMessageA(window_, ids::kDownloadProgressBar, PBM_STEPIT, 0, 0); }
  void SetEpisodeLabel(const std::string& text) override {
    ::SetDlgItemTextA(window_, ids::kDownloadLabel, text.c_str());
  }

 private:
  HWND window_;
};

DialogTemplate DownloadWindowTemplate(const LanguageTexts& texts) {
  DialogTemplate t(texts[TextKey::Torrent], kWindowStyle, kWindowExStyle, 190, 100);
  using C = ControlClass;
  // The banner first, so that it lies behind the other controls.
  t.Add({ids::kDownloadBanner, WS_VISIBLE | SS_BITMAP | SS_NOTIFY, 0, -2, 0, 290, 116, C::Static, "", "Kestrix"});
  t.Add({ids::kDownloadProgressBar, WS_VISIBLE | PBS_SMOOTH, 0, 1, 68, 187, 12, C::Static, PROGRESS_CLASSA, ""});
  t.Add({ids::kDownloadLabel, WS_VISIBLE | SS_LEFT, 0, 2, 86, 140, 15, C::Static, "", ""});
  t.Add({ids::kDownloadCancelButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 147, 83, 40, 15, C::Button, "",
         texts[TextKey::Cancel]});
  return t;
}

}  // namespace

INT_PTR DownloadWindow::Run(HWND mainWindow) {
  mainWindow_ = mainWindow;
  DialogTemplate dialogTemplate = DownloadWindowTemplate(app_->texts);
  RunModal(mainWindow, dialogTemplate);
  return 0;
}

void DownloadWindow::OnInit() {
  SetProgressBarColors(Control(ids::kDownloadProgressBar), kLabelText, kBackground);
  const HFONT bold = Font(8, true);
  SetControlFont(ids::kDownloadLabel, bold);
  SetControlFont(ids::kDownloadCancelButton, bold);
  StartHandOff();
}

void DownloadWindow::StartHandOff() {
  std::shared_ptr<Application> app = app_;
  const HWND window = hwnd_;
  const bool started = worker_.Start(
      hwnd_, ids::kDownloadPollTimer,
      [app, window, texts = app_->texts](const CancelToken& cancel) {
        // Shortcut files and the shell's "open" need COM on this thread.
        ComApartment com;
        DownloadWindowView view(window);
        WindowMessageBoxes boxes(window);
        HandOffShellWin shell(app->folder);
        NewEpisodeJob job(app->store, app->folder, app->clock, view, boxes, shell, texts, settings::kHomeUrl,
                          cancel);
        return SelectNewEpisodes(job);
      },
      [this](int result) { HandOffEnded(result); });
  if (!started) {
    NotifyProblem(hwnd_, app_->texts);
    End(0);
  }
}

void DownloadWindow::OnTimer(UINT_PTR timerId) {
  if (timerId == ids::kCountdownTimer) {
    CountDown();
    return;
  }
  worker_.OnTimer(timerId);
}

void DownloadWindow::HandOffEnded(int result) {
  if (result == kNoNewEpisode) {
    ::SetDlgItemTextA(hwnd_, ids::kDownloadLabel, app_->texts[TextKey::NoNewEp].c_str());
    ::SetDlgItemTextA(hwnd_, ids::kDownloadCancelButton, app_->texts[TextKey::Close].c_str());
    StartCountdown();
    return;
  }
  if (result < 0) NotifyProblem(hwnd_, app_->texts);
  End(0);
}

void DownloadWindow::StartCountdown() {
  countdown_ = kCountdownStart;
  countdownTimer_ = ::SetTimer(hwnd_, ids::kCountdownTimer, kCountdownPeriodMs, nullptr);
  // Without its timer the window would wait for ever: it stays open with
  // its Close button instead, and the program with it.
  if (countdownTimer_ == 0) return;
  ::PostMessageA(hwnd_, WM_TIMER, ids::kCountdownTimer, 0);
}

void DownloadWindow::CountDown() {
  if (countdownTimer_ == 0) return;
  --countdown_;
  if (countdown_ <= 0) {
    ::KillTimer(hwnd_, countdownTimer_);
    countdownTimer_ = 0;
    ::PostMessageA(mainWindow_, ids::kCloseMainWindowMessage, 0, 0);
    End(0);
    return;
  }
  const std::string caption = app_->texts[TextKey::AutoClose] + " " + ToDecimal(countdown_) + "s";
  ::SetWindowTextA(hwnd_, caption.c_str());
}

void DownloadWindow::OnCommand(int controlId, int notification) {
  // Cancel while working, Close once nothing new was found: the window ends
  // and the program stays open.
  if (controlId == ids::kDownloadCancelButton && (notification == 0 || notification == 1)) End(0);
}

void DownloadWindow::OnEnding() {
  // A hand-off still running is abandoned the moment the window is ended:
  // no shortcut, no advance, no question, nothing opened from now on.
  worker_.Abandon(&app_->store.mutex);
}

void DownloadWindow::OnDestroy() {
  if (countdownTimer_ != 0) ::KillTimer(hwnd_, countdownTimer_);
  countdownTimer_ = 0;
  worker_.Abandon(&app_->store.mutex);
}

}  // namespace epiloom::win
