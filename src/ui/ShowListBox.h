// The main window's show list: an owner-drawn list box with a check box per
// show, ticked for the user's favourites (item data -1). A tick or an untick
// (a click in the box, or the space bar on the selection) adds or removes the
// favourite after a question; the context menu moves a show to the blacklist.
#pragma once

#include <windows.h>

#include <memory>

#include "app/Application.h"
#include "support/ShowListView.h"
#include "support/SystemProcedure_win.h"

namespace epiloom::ui {

class ShowListBox {
 public:
  explicit ShowListBox(std::shared_ptr<Application> app) : app_(std::move(app)) {}
  ShowListBox(const ShowListBox&) = delete;
  ShowListBox& operator=(const ShowListBox&) = delete;

  // Replaces the list box's window procedure with the show list's own,
  // keeping the previous one (ShowListOldProc) to forward to; Detach puts it
  // back. The questions are owned by `mainWindow`.
  void Attach(HWND mainWindow, HWND list);
  void Detach();

  // Draw-item and measure-item messages of the list, passed on by the main window.
  void OnItemMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Appends the shows at the end of the list in their order, favourites
  // ticked, and repaints the list once for the whole batch.
  void AppendShows(const std::vector<ListedShow>& shows);

  // WM_CONTEXTMENU of the list (screen position in lParam, -1 from the
  // keyboard): the show's menu, or the favourite's disabled one.
  void OnContextMenu(LPARAM position, HMENU showMenu, HMENU favouriteMenu);

 private:
  static LRESULT CALLBACK Procedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  static_assert(std::is_same_v<decltype(&Procedure), win::NoThrow<WNDPROC>>);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Forward(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DrawItem(const DRAWITEMSTRUCT& item, WPARAM wParam);

  // The item whose check box a click began in (or -1), and what asks its
  // question once the list has let go of the mouse.
  int BoxUnder(LPARAM point) const;
  void PostToggle(int item);
  void Toggle(int item);
  void OfferBlacklisting(int item);
  std::string ItemText(int item) const;
  void RefreshCounts();

  std::shared_ptr<Application> app_;
  HWND mainWindow_ = nullptr;
  HWND list_ = nullptr;
  WNDPROC oldProc_ = nullptr;  // ShowListOldProc
  int pendingToggle_ = -1;     // a click in this item's box waits for the mouse to be let go
  int pendingSpace_ = -1;      // the space bar on this item waits for the key to be let go
};

}  // namespace epiloom::ui
