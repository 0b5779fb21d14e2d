// The blacklist dialog: the main window's shows that may be blacklisted on
// the left, the blacklisted ones on the right, and two buttons that move the
// selected names across. Each move changes the blacklist and the main
// window's show list at once and rewrites the main window's counts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Dialog.h"

namespace epiloom::win {

class BlacklistDialog : public Dialog {
 public:
  explicit BlacklistDialog(std::shared_ptr<Application> app) : app_(std::move(app)) {}

  // Runs the dialog modally, owned by the main window, whose show list it
  // edits. Returns the dialog's result (0).
  INT_PTR Run(HWND mainWindow);

 private:
  void OnInit() override;
  void OnCommand(int controlId, int notification) override;
  INT_PTR OnControlColor(UINT message, HDC dc, HWND control) override;

  void FillLists();
  void EnableMoveButton(int listId, int buttonId);
  // Moves the names selected in the left list to the blacklist (true) or
  // those of the right list back to the show list (false).
  void MoveSelected(bool toBlacklist);
  std::vector<std::string> SelectedNames(int listId) const;
  std::vector<std::string> ShowListNames() const;

  std::shared_ptr<Application> app_;
  HWND mainWindow_ = nullptr;
  std::unique_ptr<ColorAnswer> candidateColors_;
  std::unique_ptr<ColorAnswer> blacklistedColors_;
};

}  // namespace epiloom::win
