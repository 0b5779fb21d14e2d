// The favourite settings pages: one page per favourite with its quality
// choice and its last watched episode, turned with a back and a forward
// button; the forward button of the last page ends the dialog. Turning a page
// saves it into the show's record and its favourite line.
#pragma once

#include <memory>

#include "app/Application.h"
#include "app/Dialog.h"
#include "store/FavoriteSettings.h"

namespace epiloom::win {

class SettingsPages : public Dialog {
 public:
  explicit SettingsPages(std::shared_ptr<Application> app) : app_(std::move(app)) {}

  // Runs the pages modally, owned by the main window, whose counts are
  // rewritten when they close. Returns 0 when the forward button of the last
  // page closed them, IDCANCEL for Escape or the close box; 0 at once when
  // there is no favourite.
  INT_PTR Run(HWND mainWindow);

 private:
  void OnInit() override;
  void OnCommand(int controlId, int notification) override;
  void OnCancel() override { End(IDCANCEL); }
  void OnDestroy() override;
  INT_PTR OnControlColor(UINT message, HDC dc, HWND control) override;

  void SetUpControls();
  void SetUpPage(int page);
  void UpdateDisplay(int displayId, int editId, char letter);
  // The second option: the up-down controls take input and the displays
  // show their active colours.
  void ShowWatched(bool watched);
  void ChooseQuality();
  void SavePage();
  void TurnBack();
  void TurnForward();
  void Redraw();

  std::shared_ptr<Application> app_;
  HWND mainWindow_ = nullptr;
  // The page shown: its number, the favourite line and the show's record index.
  FavoritePage page_;
  bool displaysActive_ = false;
  std::unique_ptr<ColorAnswer> activeDisplay_;
};

}  // namespace epiloom::win
