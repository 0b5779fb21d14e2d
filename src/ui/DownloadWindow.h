// The new-episode download window: runs the hand-off of the new episodes on
// its worker with a progress bar and the episode being handed over, closes
// by itself when done, and when nothing is new counts down ten seconds in
// its caption and then ends the program.
#pragma once

#include <memory>

#include "app/Application.h"
#include "app/Dialog.h"
#include "app/PolledWorker.h"

namespace epiloom::win {

class DownloadWindow : public Dialog {
 public:
  explicit DownloadWindow(std::shared_ptr<Application> app) : app_(std::move(app)) {}

  // Runs the window modally, owned by the main window, which it tells to end
  // the program when the countdown runs out. Returns 0.
  INT_PTR Run(HWND mainWindow);

 private:
  void OnInit() override;
  void OnCommand(int controlId, int notification) override;
  void OnTimer(UINT_PTR timerId) override;
  void OnEnding() override;
  void OnDestroy() override;

  void StartHandOff();
  void HandOffEnded(int result);
  void StartCountdown();
  void CountDown();

  std::shared_ptr<Application> app_;
  HWND mainWindow_ = nullptr;
  PolledWorker worker_;
  UINT_PTR countdownTimer_ = 0;
  int countdown_ = 0;
};

}  // namespace epiloom::win
