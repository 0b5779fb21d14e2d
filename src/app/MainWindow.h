// The program's only top-level window: the show list, the status line, the
// two large buttons, the banner and the small controls around them. It runs
// the whole start-up cycle and ends the program when it ends.
#pragma once

#include <functional>
#include <memory>

#include "app/Application.h"
#include "app/Dialog.h"
#include "app/Win32Handles.h"
#include "app/WorkerThread.h"
#include "support/CancelFlag.h"

namespace epiloom::win {

class MainWindow : public Dialog {
 public:
  explicit MainWindow(std::shared_ptr<Application> app) : app_(std::move(app)) {}

  // Builds the window from its in-memory template and runs it modally;
  // returns when the window has ended.
  INT_PTR Run(HWND parent);

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

  void OnInitDialog();
  void OnCommand(int controlId, int notification);
  INT_PTR OnControlColor(UINT message, HDC dc, HWND control);
  void OnDestroy();

  void OnTimer();
  void AdvanceSpinner();
  void StartUpdatePhase();
  void EndUpdatePhase(int result);
  void StartShowListPhase();
  void EndShowListPhase(int result);
  // Starts `work` as the window's one worker, polled on a 20 ms timer.
  void StartWorker(unsigned timerId, std::function<int(const CancelToken&)> work);
  void AbandonWorker();

  void SetUpControls();
  void InitLanguage();
  void ChooseLanguage();
  void ApplyLanguageTexts();
  void AppendLanguageMenuItem(const std::string& code, bool checked);

  std::shared_ptr<Application> app_;

  GdiObject smallFont_;    // Tahoma 8: blacklist label, about line
  GdiObject statusFont_;   // Tahoma 10 bold: status line
  GdiObject buttonFont_;   // Tahoma 12 bold: the two large buttons
  GdiObject background_;   // the window's background
  GdiObject aboutBackground_;
  GdiObject refreshImage_;

  WorkerThread mainWorker_;
  CancelToken workerCancel_;
  UINT_PTR mainTimer_ = 0;
  int spinnerFrame_ = 0;
  GdiObject spinnerImage_;

  MenuHandle languageMenu_;
  int languageMenuCount_ = 0;
  MenuHandle showPopupMenu_;
  MenuHandle favouritePopupMenu_;
};

}  // namespace epiloom::win
