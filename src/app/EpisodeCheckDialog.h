// The small modal dialog that runs the check of the favourites' episode
// pages: an endless bar, the show being read and "(k/N)", and Cancel.
#pragma once

#include <memory>

#include "app/Application.h"
#include "app/Dialog.h"
#include "app/FrameAnimation.h"
#include "app/PolledWorker.h"

namespace epiloom::win {

// Runs the episode check in its dialog, owned by `owner`, and returns when
// the dialog has ended. app->store.episodesChecked then tells whether the
// check went through all favourites.
void RunEpisodeCheck(HWND owner, const std::shared_ptr<Application>& app);

class EpisodeCheckDialog : public Dialog {
 public:
  explicit EpisodeCheckDialog(std::shared_ptr<Application> app);
  INT_PTR Run(HWND owner);

 private:
  void OnInit() override;
  void OnCommand(int controlId, int notification) override;
  void OnTimer(UINT_PTR timerId) override;
  void OnEnding() override;
  void OnDestroy() override;

  void StartCheck();
  void CheckEnded(int result);

  std::shared_ptr<Application> app_;
  FrameAnimation loadBar_;
  PolledWorker worker_;
};

}  // namespace epiloom::win
