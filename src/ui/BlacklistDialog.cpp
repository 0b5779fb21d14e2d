#include "ui/BlacklistDialog.h"

#include <mutex>

#include "app/MainWindowIds.h"
#include "app/MainWindowView.h"
#include "store/BlacklistMoves.h"
#include "store/Counters.h"
#include "ui/BlacklistDialogIds.h"

namespace epiloom::win {
namespace {

// Vertical scroll bar, several items selectable, sorted by the list, notify.
constexpr DWORD kListStyle = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_EXTENDEDSEL | LBS_SORT | LBS_NOTIFY;

bool Clicked(int notification) { return notification == 0 || notification == 1; }

DialogTemplate BlacklistDialogTemplate(const LanguageTexts& texts) {
  DialogTemplate t(texts[TextKey::BlackList], kWindowStyle, kWindowExStyle, 358, 150);
  using C = ControlClass;
  // In tab order: the left list, its button, the other button, the right list.
  t.Add({ids::kCandidateList, kListStyle, 0, 1, 2, 166, 149, C::ListBox, "", ""});
  t.Add({ids::kBlacklistButton, WS_VISIBLE | WS_DISABLED | WS_TABSTOP | BS_PUSHBUTTON, 0, 168, 50, 18, 15, C::Button,
         "", ">>"});
  t.Add({ids::kPutBackButton, WS_VISIBLE | WS_DISABLED | WS_TABSTOP | BS_PUSHBUTTON, 0, 168, 100, 18, 15, C::Button,
         "", "<<"});
  t.Add({ids::kBlacklistedList, kListStyle, 0, 186, 2, 166, 149, C::ListBox, "", ""});
  return t;
}

std::string ItemText(HWND list, int index) {
  const auto length = ::SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const auto got = ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

void FillList(HWND list, const std::vector<std::string>& names) {
  ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : names) {
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

INT_PTR BlacklistDialog::Run(HWND mainWindow) {
  mainWindow_ = mainWindow;
  DialogTemplate dialogTemplate = BlacklistDialogTemplate(app_->texts);
  return RunModal(mainWindow, dialogTemplate);
}

void BlacklistDialog::OnInit() {
  candidateColors_ = std::make_unique<ColorAnswer>(kCandidateListBackground);
  blacklistedColors_ = std::make_unique<ColorAnswer>(kBlacklistedListBackground);
  const HFONT arrows = Font(9, true);
  SetControlFont(ids::kBlacklistButton, arrows);
  SetControlFont(ids::kPutBackButton, arrows);
  FillLists();
}

std::vector<std::string> BlacklistDialog::ShowListNames() const {
  const HWND list = ::GetDlgItem(mainWindow_, ids::kShowList);
  const auto count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
  std::vector<std::string> names;
  names.reserve(count > 0 ? static_cast<std::size_t>(count) : 0);
  for (int i = 0; i < count; ++i) names.push_back(ItemText(list, i));
  return names;
}

std::vector<std::string> BlacklistDialog::SelectedNames(int listId) const {
  const HWND list = Control(listId);
  const auto count = static_cast<int>(::SendMessageA(list, LB_GETSELCOUNT, 0, 0));
  if (count <= 0) return {};
  std::vector<int> items(static_cast<std::size_t>(count));
  const auto got = static_cast<int>(
      ::SendMessageA(list, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(items.data())));
  std::vector<std::string> names;
  // Lowest position first, as the list holds them.
  for (int i = 0; i < got; ++i) names.push_back(ItemText(list, items[static_cast<std::size_t>(i)]));
  return names;
}

void BlacklistDialog::FillLists() {
  // The show list is read before the lock is taken: it is another window.
  const std::vector<std::string> showList = ShowListNames();
  std::vector<std::string> candidates;
  std::vector<std::string> blacklisted;
  {
    std::lock_guard lock(app_->store.mutex);
    candidates = BlacklistCandidates(showList, app_->store.lists);
    blacklisted = BlacklistedNames(app_->store.lists.blacklistText);
  }
  FillList(Control(ids::kCandidateList), candidates);
  FillList(Control(ids::kBlacklistedList), blacklisted);
}

void BlacklistDialog::EnableMoveButton(int listId, int buttonId) {
  const auto selected = ::SendDlgItemMessageA(hwnd_, listId, LB_GETSELCOUNT, 0, 0);
  ::EnableWindow(Control(buttonId), selected > 0);
}

void BlacklistDialog::MoveSelected(bool toBlacklist) {
  const int source = toBlacklist ? ids::kCandidateList : ids::kBlacklistedList;
  const int button = toBlacklist ? ids::kBlacklistButton : ids::kPutBackButton;
  const std::vector<std::string> names = SelectedNames(source);
  std::vector<std::string> showList = ShowListNames();
  const HWND mainList = ::GetDlgItem(mainWindow_, ids::kShowList);

  for (const std::string& name : names) {
    ShowListEdit edit;
    {
      std::lock_guard lock(app_->store.mutex);
      edit = toBlacklist ? BlacklistFromDialog(app_->store.lists, app_->store.showTable, showList, name)
                         : PutBackFromDialog(app_->store.lists, app_->store.showTable, showList, name);
    }
    if (edit.removeAt) ::SendMessageA(mainList, LB_DELETESTRING, static_cast<WPARAM>(*edit.removeAt), 0);
    if (edit.insertAt) {
      // -1 appends: the place after the last item.
      const WPARAM at = *edit.insertAt < showList.size() ? static_cast<WPARAM>(*edit.insertAt) : static_cast<WPARAM>(-1);
      const auto item = ::SendMessageA(mainList, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(name.c_str()));
      // Not a favourite: its check box is empty.
      if (item >= 0) ::SendMessageA(mainList, LB_SETITEMDATA, static_cast<WPARAM>(item), 0);
    }
    ApplyShowListEdit(edit, showList, name);
  }

  // The button is disabled under the focus when it was clicked from the
  // keyboard: the focus goes back to its list.
  if (::GetFocus() == Control(button)) {
    ::SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(source)), TRUE);
  }
  ::EnableWindow(Control(button), FALSE);
  FillLists();
  MainWindowView view(mainWindow_);
  RefreshCounters(app_->store, view, app_->texts);
}

void BlacklistDialog::OnCommand(int controlId, int notification) {
  switch (controlId) {
    case ids::kCandidateList:
      if (notification == LBN_SELCHANGE) EnableMoveButton(ids::kCandidateList, ids::kBlacklistButton);
      break;
    case ids::kBlacklistedList:
      if (notification == LBN_SELCHANGE) EnableMoveButton(ids::kBlacklistedList, ids::kPutBackButton);
      break;
    case ids::kBlacklistButton:
      if (Clicked(notification)) MoveSelected(true);
      break;
    case ids::kPutBackButton:
      if (Clicked(notification)) MoveSelected(false);
      break;
    default:
      break;
  }
}

INT_PTR BlacklistDialog::OnControlColor(UINT message, HDC dc, HWND control) {
  if (message == WM_CTLCOLORLISTBOX) {
    switch (::GetDlgCtrlID(control)) {
      case ids::kCandidateList:
        return candidateColors_->Paint(dc, kCandidateListText);
      case ids::kBlacklistedList:
        return blacklistedColors_->Paint(dc, kBlacklistedListText);
      default:
        break;
    }
  }
  return Dialog::OnControlColor(message, dc, control);
}

}  // namespace epiloom::win
