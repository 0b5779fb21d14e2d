#include "ui/ShowListBox.h"

#include <windowsx.h>

#include <utility>

#include "app/MainWindowIds.h"
#include "app/MainWindowView.h"
#include "store/Counters.h"
#include "store/ShowListEdits.h"

namespace epiloom::ui {
namespace {

// Item data of a ticked show (a favourite) and of the others.
constexpr LPARAM kFavorite = -1;

// The check box's columns in the item, in pixels.
constexpr LONG kBoxLeft = 2;
constexpr LONG kBoxRight = 15;

// Bit 30 of a key message's lParam: the key was down before (a repeat).
constexpr LPARAM kKeyWasDown = LPARAM{1} << 30;

bool AskYesNo(HWND owner, const std::string& caption, const std::string& text, UINT icon) {
  return ::MessageBoxA(owner, text.c_str(), caption.c_str(), MB_YESNO | icon | MB_TASKMODAL) == IDYES;
}

// The one place where a window procedure passes through an integer: both
// ways it is typed WNDPROC, so a procedure of another type does not compile.
WNDPROC ExchangeWindowProcedure(HWND window, WNDPROC procedure) {
  return reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

}  // namespace

void ShowListBox::Attach(HWND mainWindow, HWND list) {
  mainWindow_ = mainWindow;
  list_ = list;
  ::SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  oldProc_ = ExchangeWindowProcedure(list, &ShowListBox::Procedure);
}

void ShowListBox::Detach() {
  if (oldProc_ == nullptr) return;
  ExchangeWindowProcedure(list_, oldProc_);
  ::SetWindowLongPtrA(list_, GWLP_USERDATA, 0);
  oldProc_ = nullptr;
}

LRESULT CALLBACK ShowListBox::Procedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  auto* box = reinterpret_cast<ShowListBox*>(::GetWindowLongPtrA(list, GWLP_USERDATA));
  if (box == nullptr || box->oldProc_ == nullptr) return ::DefWindowProcA(list, message, wParam, lParam);
  // No exception may unwind into the system's code that called us.
  try {
    return box->OnMessage(message, wParam, lParam);
  } catch (...) {
    return box->Forward(message, wParam, lParam);
  }
}

LRESULT ShowListBox::Forward(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcA(oldProc_, list_, message, wParam, lParam);
}

LRESULT ShowListBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) {
        const auto current = static_cast<int>(::SendMessageA(list_, LB_GETCURSEL, 0, 0));
        if (current == LB_ERR) break;
        // The question waits until the key is let go: asked now, a key held
        // past its repeat delay would send its repeats to the question's
        // focused Yes button, and letting go would answer it.
        if ((lParam & kKeyWasDown) == 0) pendingSpace_ = current;
        return 0;  // consumed, whatever the answer
      }
      break;
    case WM_KEYUP:
      if (wParam == VK_SPACE && pendingSpace_ >= 0) {
        PostToggle(std::exchange(pendingSpace_, -1));
        return 0;
      }
      break;
    case WM_KILLFOCUS:
      pendingSpace_ = -1;  // the key is let go elsewhere
      break;
    case WM_LBUTTONDOWN: {
      // Only a plain left click (no other button or modifier key held) in a
      // show's check box asks. The list sees the press first, so the click
      // also selects the item, and the list takes the mouse capture until the
      // button is let go: a question asked now, inside the press, would leave
      // the list in its drag selection after the answer, holding the capture
      // with the selection following the mouse. So the question waits until
      // the list has let go of the mouse.
      const int item = wParam == MK_LBUTTON ? BoxUnder(lParam) : -1;
      const LRESULT answer = Forward(message, wParam, lParam);
      pendingToggle_ = item;
      if (::GetCapture() != list_) PostToggle(std::exchange(pendingToggle_, -1));
      return answer;
    }
    case WM_CAPTURECHANGED: {
      // The button was let go (or the capture taken away): the click is over.
      const LRESULT answer = Forward(message, wParam, lParam);
      PostToggle(std::exchange(pendingToggle_, -1));
      return answer;
    }
    case ids::kAskToggleMessage:
      Toggle(static_cast<int>(wParam));
      return 0;
    default:
      break;
  }
  return Forward(message, wParam, lParam);
}

int ShowListBox::BoxUnder(LPARAM point) const {
  const auto item = static_cast<int>(LOWORD(::SendMessageA(list_, LB_ITEMFROMPOINT, 0, point)));
  RECT rect{};
  const POINT at{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  if (::SendMessageA(list_, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
    return -1;
  if (at.x < kBoxLeft || at.x > kBoxRight || at.y < rect.top || at.y >= rect.bottom) return -1;
  return item;
}

void ShowListBox::PostToggle(int item) {
  if (item >= 0) ::PostMessageA(list_, ids::kAskToggleMessage, static_cast<WPARAM>(item), 0);
}

void ShowListBox::OnItemMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (oldProc_ == nullptr) return;
  if (message == WM_DRAWITEM) {
    DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam), wParam);
    return;
  }
  // Measuring keeps the list box's default item height.
  Forward(message, wParam, lParam);
}

LRESULT ShowListBox::DrawItem(const DRAWITEMSTRUCT& item, WPARAM wParam) {
  if (item.itemID == static_cast<UINT>(-1)) return 0;

  if (item.itemAction == ODA_DRAWENTIRE || item.itemAction == ODA_SELECT) {
    const HDC dc = item.hDC;
    RECT rect = item.rcItem;
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_MENU));
    ::SetBkColor(dc, ::GetSysColor(COLOR_MENU));
    ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));

    // Names are at most 42 characters; a longer string is drawn cut.
    char name[64] = {};
    const LRESULT length = ::SendMessageA(list_, LB_GETTEXTLEN, item.itemID, 0);
    if (length >= 0 && length < static_cast<LRESULT>(sizeof name)) {
      ::SendMessageA(list_, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(name));
    }
    ::TextOutA(dc, 18, rect.top + 2, name, static_cast<int>(::lstrlenA(name)));

    if (item.itemState & ODS_SELECTED) {
      RECT selected{16, rect.top, rect.right, rect.bottom};
      ::InvertRect(dc, &selected);
    }
    RECT box{kBoxLeft, rect.top + 2, kBoxRight, rect.bottom - 1};
    UINT state = DFCS_BUTTONCHECK;
    if (item.itemData != 0) state |= DFCS_CHECKED;
    ::DrawFrameControl(dc, &box, DFC_BUTTON, state);
    return TRUE;
  }
  if (item.itemAction == ODA_FOCUS) {
    RECT rect = item.rcItem;
    ::DrawFocusRect(item.hDC, &rect);
  }
  return Forward(WM_DRAWITEM, wParam, reinterpret_cast<LPARAM>(&item));
}

void ShowListBox::AppendShows(const std::vector<ListedShow>& shows) {
  if (list_ == nullptr || shows.empty()) return;
  std::size_t bytes = 0;
  for (const ListedShow& show : shows) bytes += show.name.size() + 1;
  // With redrawing on, every add repaints the list and its scroll bar: that
  // cost seconds per thousand shows. The batch is drawn once, ticks included.
  ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(list_, LB_INITSTORAGE, shows.size(), static_cast<LPARAM>(bytes));
  for (const ListedShow& show : shows) {
    // The list is not sorted, so LB_ADDSTRING appends at the end.
    const LRESULT item = ::SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(show.name.c_str()));
    if (show.favorite && item >= 0) ::SendMessageA(list_, LB_SETITEMDATA, static_cast<WPARAM>(item), kFavorite);
  }
  ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list_, nullptr, FALSE);
  ::UpdateWindow(list_);
}

std::string ShowListBox::ItemText(int item) const {
  const LRESULT length = ::SendMessageA(list_, LB_GETTEXTLEN, static_cast<WPARAM>(item), 0);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  ::SendMessageA(list_, LB_GETTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

void ShowListBox::RefreshCounts() {
  win::MainWindowView view(mainWindow_);
  RefreshCounters(app_->store, view, app_->texts);
}

void ShowListBox::Toggle(int item) {
  // A favourite's item data (-1) is the value of LB_ERR, so the item is
  // checked against the count instead of the answer.
  const auto count = static_cast<int>(::SendMessageA(list_, LB_GETCOUNT, 0, 0));
  if (item < 0 || item >= count) return;
  const LRESULT flag = ::SendMessageA(list_, LB_GETITEMDATA, static_cast<WPARAM>(item), 0);
  const bool tick = flag == 0;
  const std::string name = ItemText(item);
  if (!AskYesNo(mainWindow_, "Epiloom", ToggleQuestion(app_->texts, name, tick),
                tick ? MB_ICONQUESTION : MB_ICONSTOP)) {
    return;
  }
  // Refused when the show is not in the table or the favourites could not
  // be read: then the box keeps its state, as the store does.
  if (!ToggleFavorite(app_->store, name, tick)) return;
  ::SendMessageA(list_, LB_SETITEMDATA, static_cast<WPARAM>(item), tick ? kFavorite : 0);
  RECT rect{};
  ::SendMessageA(list_, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect));
  ::InvalidateRect(list_, &rect, FALSE);
  ::UpdateWindow(list_);
  RefreshCounts();
}

void ShowListBox::OnContextMenu(LPARAM position, HMENU showMenu, HMENU favouriteMenu) {
  auto current = static_cast<int>(::SendMessageA(list_, LB_GETCURSEL, 0, 0));
  POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  if (at.x == -1 || at.y == -1) {
    // From the keyboard: under the selected item, a quarter of the way in.
    if (current == LB_ERR) return;
    RECT client{};
    ::GetClientRect(list_, &client);
    const auto top = static_cast<int>(::SendMessageA(list_, LB_GETTOPINDEX, 0, 0));
    const auto height = static_cast<int>(::SendMessageA(list_, LB_GETITEMHEIGHT, 0, 0));
    at = {client.right / 4, (current - top) * height + height};
    ::ClientToScreen(list_, &at);
  } else {
    POINT inList = at;
    ::ScreenToClient(list_, &inList);
    const auto under = static_cast<int>(
        LOWORD(::SendMessageA(list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(inList.x, inList.y))));
    const auto count = static_cast<int>(::SendMessageA(list_, LB_GETCOUNT, 0, 0));
    if (under < count && under != current) {
      ::SendMessageA(list_, LB_SETCURSEL, static_cast<WPARAM>(under), 0);
      current = under;
    }
  }
  if (current == LB_ERR) return;

  const bool favorite = ::SendMessageA(list_, LB_GETITEMDATA, static_cast<WPARAM>(current), 0) != 0;
  const int command = static_cast<int>(::TrackPopupMenu(favorite ? favouriteMenu : showMenu,
                                                        TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x,
                                                        at.y, 0, mainWindow_, nullptr));
  if (command == ids::kShowPopupCommand) OfferBlacklisting(current);
}

void ShowListBox::OfferBlacklisting(int item) {
  const std::string name = ItemText(item);
  const Question question = BlacklistQuestion(app_->texts, name);
  if (!AskYesNo(mainWindow_, question.caption, question.text, MB_ICONEXCLAMATION)) return;
  // Refused when the blacklist could not be read: the show stays listed.
  if (!BlacklistListedShow(app_->store, name)) return;
  ::SendMessageA(list_, LB_DELETESTRING, static_cast<WPARAM>(item), 0);
  RefreshCounts();
}

}  // namespace epiloom::ui
