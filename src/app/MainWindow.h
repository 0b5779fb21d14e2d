// The program's only top-level window: the show list, the status line, the
// two large buttons, the banner and the small controls around them. It runs
// the whole refresh cycle and ends the program when it ends.
#pragma once

#include <memory>

#include "app/Application.h"
#include "app/Dialog.h"
#include "app/FrameAnimation.h"
#include "app/PolledWorker.h"
#include "support/Win32Handles_win.h"
#include "ui/ShowListBox.h"

namespace epiloom::win {

class MainWindow : public Dialog {
 public:
  explicit MainWindow(std::shared_ptr<Application> app);

  // Builds the window from its in-memory template and runs it modally;
  // returns when the window has ended.
  INT_PTR Run(HWND parent);

 private:
  void OnInit() override;
  void OnCommand(int controlId, int notification) override;
  void OnTimer(UINT_PTR timerId) override;
  // Escape does not end the main window; the close box does.
  void OnCancel() override {}
  void OnClose() override { End(0); }
  void OnEnding() override;
  void OnDestroy() override;
  INT_PTR OnControlColor(UINT message, HDC dc, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& answer) override;

  // The refresh cycle.
  void StartUpdatePhase();
  void EndUpdatePhase(int result);
  void StartShowListPhase();
  void EndShowListPhase(int result);
  void ShowListLoadFailed(bool unavailable);
  void AfterShowListLoaded();
  // Runs the episode check in its dialog; true when it went through.
  bool CheckEpisodes();

  // The windows the cycle and the buttons open.
  void OpenNewEpisodeDownloadWindow();
  void OpenFavoriteSettingsPages();
  void OpenBlacklistDialog();

  // What the run keeps on disk: the lists and the language choice. The
  // files that could not be written are named in one error box owned by
  // `owner` (none when `report` is false).
  void SaveRunState(HWND owner, bool report);
  // At start, once the window shows, when the folder cannot be written.
  void TellFolderNotWritable();

  void SetUpControls();
  void InitLanguage();
  void ChooseLanguage();
  void ApplyLanguageTexts();
  void AppendLanguageMenuItem(const std::string& code, bool checked);

  std::shared_ptr<Application> app_;

  std::unique_ptr<ColorAnswer> houseColors_;
  std::unique_ptr<ColorAnswer> aboutColors_;
  GdiObject refreshImage_;

  PolledWorker mainWorker_;
  FrameAnimation spinner_;
  ui::ShowListBox showList_;

  MenuHandle languageMenu_;
  int languageMenuCount_ = 0;
  MenuHandle showPopupMenu_;
  MenuHandle favouritePopupMenu_;

  // Set when the window began to end: the end-of-run save is made once.
  bool ending_ = false;
};

}  // namespace epiloom::win
