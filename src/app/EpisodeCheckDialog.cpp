#include "app/EpisodeCheckDialog.h"

#include "app/EpisodeCheckDialogIds.h"
#include "app/WindowMessageBoxes.h"
#include "site/EpisodePages.h"

namespace epiloom::win {
namespace {

constexpr int kLoadBarFrames = 10;

// The dialog's labels as the check writes them, from the worker's thread.
class EpisodeCheckDialogView : public EpisodeCheckView {
 public:
  explicit EpisodeCheckDialogView(HWND dialog) : dialog_(dialog) {}
  void SetCurrentShow(const std::string& name) override {
    ::SetDlgItemTextA(dialog_, ids::kCurrentShowLabel, name.c_str());
  }
  void SetCounter(const std::string& text) override {
    ::SetDlgItemTextA(dialog_, ids::kCheckCounterLabel, text.c_str());
  }

 private:
  HWND dialog_;
};

DialogTemplate EpisodeCheckTemplate(const LanguageTexts& texts) {
  DialogTemplate t(texts[TextKey::Properties], kWindowStyle, kWindowExStyle, 170, 50);
  using C = ControlClass;
  // The bar takes its bitmap's pixel size (220 x 19).
  t.Add({ids::kLoadBar, WS_VISIBLE | SS_BITMAP, 0, 1, 4, 120, 10, C::Static, "", "LOADBAR00"});
  t.Add({ids::kCurrentShowLabel, WS_VISIBLE | SS_LEFT, 0, 6, 20, 160, 15, C::Static, "", ""});
  t.Add({ids::kCheckCounterLabel, WS_VISIBLE | SS_LEFT, 0, 6, 32, 80, 15, C::Static, "", ""});
  t.Add({ids::kCancelCheckButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 125, 32, 40, 15, C::Button, "",
         texts[TextKey::Cancel]});
  return t;
}

}  // namespace

void RunEpisodeCheck(HWND owner, const std::shared_ptr<Application>& app) { EpisodeCheckDialog(app).Run(owner); }

EpisodeCheckDialog::EpisodeCheckDialog(std::shared_ptr<Application> app)
    : app_(std::move(app)), loadBar_("LOADBAR", kLoadBarFrames, app_->loadBarFrame) {}

INT_PTR EpisodeCheckDialog::Run(HWND owner) {
  DialogTemplate dialogTemplate = EpisodeCheckTemplate(app_->texts);
  return RunModal(owner, dialogTemplate);
}

void EpisodeCheckDialog::OnInit() {
  SetControlFont(ids::kCurrentShowLabel, Font(8, true));
  SetControlFont(ids::kCheckCounterLabel, Font(8, false));
  SetControlFont(ids::kCancelCheckButton, Font(8, true));
  StartCheck();
}

void EpisodeCheckDialog::StartCheck() {
  // Cleared here, before the worker exists: a check cancelled before its
  // first step must not leave the flag of an earlier check standing.
  {
    std::lock_guard lock(app_->store.mutex);
    app_->store.episodesChecked = false;
  }
  std::shared_ptr<Application> app = app_;
  const HWND dialog = hwnd_;
  const bool started = worker_.Start(
      hwnd_, ids::kLoadBarTimer,
      [app, dialog](const CancelToken& cancel) {
        EpisodeCheckDialogView view(dialog);
        EpisodeCheckJob job(app->store, app->fetcher, app->clock, view, settings::kSiteUrl, cancel);
        // Downloads ahead that the check leaves running keep the fetcher.
        job.pagesAtOnce = kEpisodePagesAtOnce;
        job.fetcherOwner = app;
        return CheckEpisodePages(job);
      },
      [this](int result) { CheckEnded(result); });
  if (!started) {
    NotifyProblem(hwnd_, app_->texts);
    End(0);
  }
}

void EpisodeCheckDialog::OnCommand(int controlId, int notification) {
  // Cancel ends the dialog at once; OnEnding abandons the check.
  if (controlId == ids::kCancelCheckButton && (notification == 0 || notification == 1)) End(0);
}

void EpisodeCheckDialog::OnTimer(UINT_PTR timerId) {
  if (timerId != ids::kLoadBarTimer) return;
  loadBar_.Advance(Control(ids::kLoadBar));
  worker_.OnTimer(timerId);
}

void EpisodeCheckDialog::CheckEnded(int result) {
  if (result < 0) NotifyProblem(hwnd_, app_->texts);
  End(0);
}

void EpisodeCheckDialog::OnEnding() {
  // Cancel and the close box end the dialog at once: a check still running
  // is abandoned and writes nothing more, even if its page arrives before
  // the modal loop has returned and the window is destroyed.
  worker_.Abandon(&app_->store.mutex);
}

void EpisodeCheckDialog::OnDestroy() { worker_.Abandon(&app_->store.mutex); }

}  // namespace epiloom::win
