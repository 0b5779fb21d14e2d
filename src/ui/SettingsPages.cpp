#include "ui/SettingsPages.h"

#include <commctrl.h>

#include <mutex>

#include "app/MainWindowView.h"
#include "store/Counters.h"
#include "store/UserLists.h"
#include "ui/SettingsPagesIds.h"

namespace epiloom::win {
namespace {

// The numbers the up-down controls step through.
constexpr int kLowestSeason = 1, kHighestSeason = 32;
constexpr int kLowestEpisode = 1, kHighestEpisode = 99;
// Child, visible, border; wraps at either end, writes its number into the
// buddy, steps with the arrow keys.
constexpr DWORD kUpDownStyle = 0x50800023;
// Sunken, centred, starts a group.
constexpr DWORD kDisplayStyle = 0x50021001;
constexpr int kSelectionEndedOk = CBN_SELENDOK;

bool Clicked(int notification) { return notification == 0 || notification == 1; }

DialogTemplate SettingsPagesTemplate(const LanguageTexts& texts) {
  DialogTemplate t("", kWindowStyle, kWindowExStyle, 280, 100);
  using C = ControlClass;
  // In tab order. The season and episode edits lie off the dialog: the
  // displays show their numbers, and with the focus in one of them the arrow
  // keys step its up-down control.
  t.Add({ids::kQualityLabel, WS_VISIBLE | SS_LEFT, 0, 5, 5, 270, 15, C::Static, "", texts[TextKey::Q720p1]});
  t.Add({ids::kQualityCombo, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 5, 15, 270, 45, C::ComboBox,
         "", ""});
  t.Add({ids::kLastWatchedLabel, WS_VISIBLE | SS_LEFT, 0, 5, 40, 270, 15, C::Static, "",
         texts[TextKey::LastEpisodeWatched1]});
  t.Add({ids::kNotWatchedOption, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0, 5, 50, 140, 10, C::Button,
         "", texts[TextKey::LastEpisodeWatched2]});
  t.Add({ids::kWatchedOption, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 5, 60, 140, 10, C::Button, "",
         texts[TextKey::LastEpisodeWatched3]});
  t.Add({ids::kSeasonDisplay, kDisplayStyle, 0, 149, 61, 16, 10, C::Static, "", "S00"});
  t.Add({ids::kSeasonUpDown, kUpDownStyle, 0, 165, 60, 12, 12, C::Static, UPDOWN_CLASSA, ""});
  t.Add({ids::kSeasonEdit, WS_VISIBLE | WS_TABSTOP | ES_NUMBER, 0, -10, -10, 1, 1, C::Edit, "", ""});
  t.Add({ids::kEpisodeDisplay, kDisplayStyle, 0, 179, 61, 16, 10, C::Static, "", "E00"});
  t.Add({ids::kEpisodeUpDown, kUpDownStyle, 0, 195, 60, 12, 12, C::Static, UPDOWN_CLASSA, ""});
  t.Add({ids::kEpisodeEdit, WS_VISIBLE | WS_TABSTOP | ES_NUMBER, 0, -10, -10, 1, 1, C::Edit, "", ""});
  t.Add({ids::kIncludedLabel, WS_VISIBLE | WS_GROUP | SS_LEFT, 0, 210, 61, 30, 10, C::Static, "",
         texts[TextKey::LastEpisodeWatched4]});
  t.Add({ids::kPrevPageButton, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, 0, 5, 80, 55, 15, C::Button, "",
         texts[TextKey::Prev]});
  t.Add({ids::kNextPageButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 220, 80, 55, 15, C::Button, "",
         texts[TextKey::Next]});
  return t;
}

std::string ControlText(HWND control) {
  const int length = ::GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

INT_PTR SettingsPages::Run(HWND mainWindow) {
  mainWindow_ = mainWindow;
  int favorites = 0;
  {
    std::lock_guard lock(app_->store.mutex);
    favorites = FavoriteCount(app_->store.lists.favoritesText);
  }
  // Every page belongs to a favourite: without one there is nothing to show.
  if (favorites < 1) return 0;
  DialogTemplate dialogTemplate = SettingsPagesTemplate(app_->texts);
  return RunModal(mainWindow, dialogTemplate);
}

void SettingsPages::OnInit() {
  SetUpControls();
  SetUpPage(1);
  UpdateDisplay(ids::kSeasonDisplay, ids::kSeasonEdit, 'S');
  UpdateDisplay(ids::kEpisodeDisplay, ids::kEpisodeEdit, 'E');
}

void SettingsPages::SetUpControls() {
  activeDisplay_ = std::make_unique<ColorAnswer>(kActiveDisplayBackground);

  const HFONT bold = Font(8, true);
  SetControlFont(ids::kQualityLabel, bold);
  SetControlFont(ids::kLastWatchedLabel, bold);
  const HFONT regular = Font(8, false);
  for (int id : {ids::kQualityCombo, ids::kNotWatchedOption, ids::kWatchedOption, ids::kSeasonDisplay,
                 ids::kEpisodeDisplay}) {
    SetControlFont(id, regular);
  }

  const LanguageTexts& texts = app_->texts;
  for (TextKey item : {TextKey::Q720p2, TextKey::Q720p3}) {
    ::SendDlgItemMessageA(hwnd_, ids::kQualityCombo, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(texts[item].c_str()));
  }

  struct Spin {
    int upDown, edit, first, last;
  };
  for (const Spin& spin : {Spin{ids::kSeasonUpDown, ids::kSeasonEdit, kLowestSeason, kHighestSeason},
                           Spin{ids::kEpisodeUpDown, ids::kEpisodeEdit, kLowestEpisode, kHighestEpisode}}) {
    const HWND upDown = Control(spin.upDown);
    ::SendMessageA(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(spin.edit)), 0);
    ::SendMessageA(upDown, UDM_SETRANGE, 0, MAKELPARAM(spin.last, spin.first));
  }
}

void SettingsPages::SetUpPage(int page) {
  {
    std::lock_guard lock(app_->store.mutex);
    page_ = ReadFavoritePage(app_->store.showTable, app_->store.lists.favoritesText, page);
  }
  const LanguageTexts& texts = app_->texts;
  const std::string caption = SettingsPageCaption(texts[TextKey::Param1], page_.page, page_.pageCount, page_.name);
  ::SetWindowTextA(hwnd_, caption.c_str());

  ::SendDlgItemMessageA(hwnd_, ids::kQualityCombo, CB_SETCURSEL, static_cast<WPARAM>(page_.quality), 0);
  ::CheckRadioButton(hwnd_, ids::kNotWatchedOption, ids::kWatchedOption,
                     page_.watched ? ids::kWatchedOption : ids::kNotWatchedOption);
  ShowWatched(page_.watched);

  // Each edit's change notification writes its display.
  const CodeEditTexts edits = EditTextsForCode(page_.code);
  ::SetDlgItemTextA(hwnd_, ids::kSeasonEdit, edits.season.c_str());
  ::SetDlgItemTextA(hwnd_, ids::kEpisodeEdit, edits.episode.c_str());

  switch (BackButtonOnPage(page_.page)) {
    case BackButtonChange::Hide:
      ::ShowWindow(Control(ids::kPrevPageButton), SW_HIDE);
      break;
    case BackButtonChange::Show:
      ::ShowWindow(Control(ids::kPrevPageButton), SW_SHOW);
      break;
    case BackButtonChange::Keep:
      break;
  }
  switch (ForwardCaptionOnPage(page_.page, page_.pageCount)) {
    case ForwardCaption::End:
      ::SetDlgItemTextA(hwnd_, ids::kNextPageButton, texts[TextKey::End].c_str());
      break;
    case ForwardCaption::Next:
      ::SetDlgItemTextA(hwnd_, ids::kNextPageButton, texts[TextKey::Next].c_str());
      break;
    case ForwardCaption::Keep:
      break;
  }
  // The back button hides under the focus when the user went back to the
  // first page: the focus goes on to the forward button.
  const HWND focus = ::GetFocus();
  if (focus != nullptr && ::IsChild(hwnd_, focus) && !::IsWindowVisible(focus)) {
    ::SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(ids::kNextPageButton)), TRUE);
  }
  Redraw();
}

void SettingsPages::UpdateDisplay(int displayId, int editId, char letter) {
  const std::string display = CodeDisplay(letter, ControlText(Control(editId)));
  ::SetDlgItemTextA(hwnd_, displayId, display.c_str());
}

void SettingsPages::ShowWatched(bool watched) {
  // The edits go with their up-down controls, so the keyboard cannot change
  // a number the page does not take.
  for (int id : {ids::kSeasonUpDown, ids::kEpisodeUpDown, ids::kSeasonEdit, ids::kEpisodeEdit}) {
    ::EnableWindow(Control(id), watched);
  }
  displaysActive_ = watched;
}

void SettingsPages::ChooseQuality() {
  const auto item = static_cast<int>(::SendDlgItemMessageA(hwnd_, ids::kQualityCombo, CB_GETCURSEL, 0, 0));
  if (item < 0) return;
  std::lock_guard lock(app_->store.mutex);
  ChooseFavoriteQuality(app_->store.showTable, page_, item);
}

void SettingsPages::SavePage() {
  const bool watched = ::IsDlgButtonChecked(hwnd_, ids::kWatchedOption) == BST_CHECKED;
  const std::string code = WatchedCode(watched, ControlText(Control(ids::kSeasonDisplay)),
                                       ControlText(Control(ids::kEpisodeDisplay)));
  std::lock_guard lock(app_->store.mutex);
  // Refused (a show no longer in the table, a list that was never loaded):
  // the page changes nothing, and the user goes on all the same.
  SaveFavoritePage(app_->store.lists, app_->store.showTable, page_, code);
}

void SettingsPages::TurnBack() {
  if (page_.page <= 1) return;
  SavePage();
  SetUpPage(page_.page - 1);
}

void SettingsPages::TurnForward() {
  SavePage();
  if (page_.page >= page_.pageCount) {
    End(0);
    return;
  }
  SetUpPage(page_.page + 1);
}

void SettingsPages::Redraw() {
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void SettingsPages::OnCommand(int controlId, int notification) {
  switch (controlId) {
    case ids::kQualityCombo:
      if (notification == kSelectionEndedOk) ChooseQuality();
      break;
    case ids::kSeasonEdit:
      if (notification == EN_CHANGE) UpdateDisplay(ids::kSeasonDisplay, ids::kSeasonEdit, 'S');
      break;
    case ids::kEpisodeEdit:
      if (notification == EN_CHANGE) UpdateDisplay(ids::kEpisodeDisplay, ids::kEpisodeEdit, 'E');
      break;
    case ids::kNotWatchedOption:
    case ids::kWatchedOption:
      if (notification == BN_CLICKED) {
        ShowWatched(controlId == ids::kWatchedOption);
        Redraw();
      }
      break;
    case ids::kPrevPageButton:
      if (Clicked(notification)) TurnBack();
      break;
    case ids::kNextPageButton:
      if (Clicked(notification)) TurnForward();
      break;
    default:
      break;
  }
}

INT_PTR SettingsPages::OnControlColor(UINT message, HDC dc, HWND control) {
  if (message == WM_CTLCOLORSTATIC && displaysActive_) {
    const int id = ::GetDlgCtrlID(control);
    if (id == ids::kSeasonDisplay || id == ids::kEpisodeDisplay) return activeDisplay_->Paint(dc, kActiveDisplayText);
  }
  return Dialog::OnControlColor(message, dc, control);
}

void SettingsPages::OnDestroy() {
  MainWindowView view(mainWindow_);
  RefreshCounters(app_->store, view, app_->texts);
}

}  // namespace epiloom::win
