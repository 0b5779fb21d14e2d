// The show list of the main window: an owner-drawn list box with a check box
// per show, ticked for the user's favourites (item data -1).
#pragma once

#include <windows.h>

namespace epiloom::ui {

// Replaces the list box's window procedure with the show list's own,
// keeping the previous one to forward to; RestoreShowList puts it back.
void SubclassShowList(HWND list);
void RestoreShowList(HWND list);

// Draw-item and measure-item messages of the list, passed on by the main window.
LRESULT HandleShowListItemMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace epiloom::ui
