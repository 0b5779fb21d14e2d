#include "app/MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>

#include "app/DialogControls.h"
#include "app/MainWindowIds.h"
#include "app/WindowMessageBoxes.h"
#include "site/ShowListPage.h"
#include "store/Counters.h"
#include "store/UserLists.h"
#include "support/WorkerWindow.h"
#include "update/UpdateCheck.h"
#include "ui/ShowListBox.h"

namespace epiloom::win {
namespace {

constexpr COLORREF kBackground = RGB(241, 245, 248);
constexpr COLORREF kLabelText = RGB(0, 6, 54);
constexpr COLORREF kBlacklistText = RGB(130, 136, 184);
constexpr COLORREF kAboutText = RGB(40, 46, 94);
constexpr COLORREF kAboutBackground = RGB(224, 223, 227);
constexpr COLORREF kProgressBar = RGB(30, 180, 0);
constexpr COLORREF kProgressBackground = RGB(221, 225, 228);

// Popup with caption, system menu and modal frame, 3-D look, clip siblings,
// shown after initialisation; no minimise or maximise box, not resizable.
constexpr DWORD kMainWindowStyle = 0x94C800D4;
constexpr DWORD kMainWindowExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;

constexpr int kLanguageCommandBase = 1000;
constexpr UINT kTimerPeriodMs = 20;
constexpr int kSpinnerFrames = 31;

// Sent by the update worker for each translation it installed: the code's
// two characters in wParam. The menu is only ever touched on this thread.
constexpr UINT kLanguageAddedMessage = WM_APP + 1;
constexpr int kShowPopupCommand = 1001;
constexpr int kFavouritePopupCommand = 1002;

std::string WindowTitle() { return std::string(" Epiloom [by ardmoor] ") + settings::kVersionLabel; }

DialogTemplate MainWindowTemplate() {
  DialogTemplate t(WindowTitle(), kMainWindowStyle, kMainWindowExStyle, 410, 262);
  using C = ControlClass;
  // In creation order. Spinner, retry button and progress bar start hidden;
  // the blacklist label and the two large buttons start disabled.
  t.Add({ids::kStatusLine, WS_VISIBLE | SS_LEFT, 0, 5, 5, 218, 15, C::Static, "", ""});
  t.Add({ids::kSpinner, SS_BITMAP, 0, 228, 0, 32, 32, C::Static, "", "LOADING00"});
  t.Add({ids::kRefreshButton, BS_PUSHBUTTON | BS_BITMAP, 0, 232, 1, 18, 18, C::Button, "", ""});
  t.Add({ids::kUpdateProgressBar, PBS_SMOOTH, 0, 251, 3, 138, 15, C::Static, PROGRESS_CLASSA, ""});
  t.Add({ids::kLanguageIcon, WS_VISIBLE | SS_BITMAP | SS_NOTIFY, 0, 392, 0, 14, 14, C::Static, "", "LANG"});
  t.Add({ids::kSiteBanner, WS_VISIBLE | SS_BITMAP | SS_NOTIFY, 0, 225, 90, 285, 116, C::Static, "", "Kestrix"});
  t.Add({ids::kShowList, 0x50211050 | LBS_NOTIFY, WS_EX_CLIENTEDGE, 5, 20, 225, 210, C::ListBox, "", ""});
  t.Add({ids::kBlacklistLabel, WS_VISIBLE | WS_DISABLED | SS_RIGHT | SS_NOTIFY, 0, 5, 231, 215, 10, C::Static, "", ""});
  t.Add({ids::kSettingsButton, WS_VISIBLE | WS_DISABLED | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0, 250, 20, 150,
         70, C::Button, "", ""});
  t.Add({ids::kDownloadButton, WS_VISIBLE | WS_DISABLED | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0, 250, 160, 150,
         70, C::Button, "", ""});
  t.Add({ids::kBottomRule, WS_VISIBLE | SS_ETCHEDHORZ, 0, -1, 242, 412, 2, C::Static, "", ""});
  t.Add({ids::kAboutLine, WS_VISIBLE | SS_CENTER | SS_NOTIFY, 0, 0, 244, 410, 18, C::Static, "", ""});
  return t;
}

HFONT MakeTahoma(HWND window, int points, bool bold) {
  const HDC dc = ::GetDC(window);
  const int height = -::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
  ::ReleaseDC(window, dc);
  return ::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
}

}  // namespace

INT_PTR MainWindow::Run(HWND parent) {
  DialogTemplate dialogTemplate = MainWindowTemplate();
  const INT_PTR result = RunModal(parent, dialogTemplate);
  // The fonts live as long as the window's modal run.
  smallFont_.Reset();
  statusFont_.Reset();
  buttonFont_.Reset();
  return result;
}

INT_PTR MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return OnControlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      if (wParam == static_cast<WPARAM>(ids::kShowList)) {
        ui::HandleShowListItemMessage(::GetDlgItem(hwnd_, ids::kShowList), message, wParam, lParam);
      }
      return 0;
    case WM_TIMER:
      OnTimer();
      return 0;
    case kLanguageAddedMessage: {
      const char code[3] = {static_cast<char>(LOBYTE(wParam)), static_cast<char>(HIBYTE(wParam)), 0};
      AppendLanguageMenuItem(code, false);
      return 0;
    }
    case WM_CLOSE:
      ::EndDialog(hwnd_, 0);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      if (message == ids::kCloseMainWindowMessage) {
        ::EndDialog(hwnd_, 0);
        return 0;
      }
      handled = false;
      return 0;
  }
}

void MainWindow::OnInitDialog() {
  CenterOnScreen(hwnd_);
  SetUpControls();
  InitLanguage();
  StartUpdatePhase();
}

void MainWindow::StartWorker(unsigned timerId, std::function<int(const CancelToken&)> work) {
  mainTimer_ = ::SetTimer(hwnd_, timerId, kTimerPeriodMs, nullptr);
  // The first tick does not wait for the timer.
  ::PostMessageA(hwnd_, WM_TIMER, timerId, 0);
  workerCancel_ = MakeCancelToken();
  mainWorker_.Start([work = std::move(work), cancel = workerCancel_] { return work(cancel); });
}

void MainWindow::AbandonWorker() {
  // The worker is not waited for: it sees its cancel flag and from then on
  // writes nothing more; the handle is let go. Raised under the store's lock,
  // so no commit of the worker can land after this point.
  if (workerCancel_) {
    std::lock_guard lock(app_->store.mutex);
    workerCancel_->Raise();
  }
  mainWorker_.Release();
}

void MainWindow::OnTimer() {
  AdvanceSpinner();
  if (!mainWorker_.Started() || mainWorker_.Running()) return;
  const int result = mainWorker_.Result();
  mainWorker_.Release();
  const UINT_PTR phase = mainTimer_;
  ::KillTimer(hwnd_, mainTimer_);
  mainTimer_ = 0;
  if (phase == ids::kUpdatePhaseTimer) {
    EndUpdatePhase(result);
  } else {
    EndShowListPhase(result);
  }
}

void MainWindow::AdvanceSpinner() {
  spinnerFrame_ = (spinnerFrame_ + 1) % kSpinnerFrames;
  char name[16];
  wsprintfA(name, "LOADING%02d", spinnerFrame_);
  GdiObject frame(::LoadImageA(::GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  const auto previous = reinterpret_cast<HGDIOBJ>(::SendDlgItemMessageA(
      hwnd_, ids::kSpinner, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(frame.get())));
  // The control now shows the new frame; the one it showed before is freed:
  // either the first one, loaded from the template, or our previous frame.
  if (previous != nullptr && previous != spinnerImage_.get()) ::DeleteObject(previous);
  spinnerImage_ = std::move(frame);
}

void MainWindow::StartUpdatePhase() {
  std::shared_ptr<Application> app = app_;
  const HWND window = hwnd_;
  // The texts are copied here, on the window's thread, which may switch the
  // language while the worker runs.
  StartWorker(ids::kUpdatePhaseTimer, [app, window, texts = app_->texts](const CancelToken& cancel) {
    ComApartment com;
    DialogControls controls(window);
    WorkerWindow workerWindow(controls, cancel);
    WindowMessageBoxes boxes(window);
    UpdateCheckJob job{app->fetcher,
                       app->folder,
                       workerWindow,
                       boxes,
                       texts,
                       app->statusPhase,
                       settings::kUpdateHost,
                       settings::kVersionLabel,
                       settings::kUpdaterMd5,
                       [window](const std::string& code) {
                         ::SendMessageA(window, kLanguageAddedMessage, MAKEWPARAM(MAKEWORD(code[0], code[1]), 0), 0);
                       },
                       [](const std::string& path) {
                         ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
                       }};
    return CheckForUpdates(job);
  });
}

void MainWindow::EndUpdatePhase(int result) {
  if (result == kUpdaterLaunched) {
    ::EndDialog(hwnd_, 0);
    return;
  }
  if (result == kTranslationsAdded) {
    WindowMessageBoxes(hwnd_).Notify("Epiloom", NewTranslationsNotice(app_->texts, app_->folder.Path()),
                                     NoticeKind::Information);
  }
  StartShowListPhase();
}

void MainWindow::StartShowListPhase() {
  std::shared_ptr<Application> app = app_;
  const HWND window = hwnd_;
  StartWorker(ids::kShowListPhaseTimer, [app, window, texts = app_->texts](const CancelToken& cancel) {
    DialogControls controls(window);
    ShowListJob job(app->store, app->fetcher, app->folder, app->clock, controls, texts, settings::kSiteUrl,
                    app->statusPhase, cancel);
    return ReadShowList(job);
  });
}

void MainWindow::EndShowListPhase(int result) {
  DialogControls controls(hwnd_);
  controls.Show(ids::kSpinner, false);
  if (result < 0) {
    const bool unavailable = result == kShowListEmpty;
    app_->statusPhase = unavailable ? kSiteUnavailable : kNoConnection;
    controls.SetText(ids::kStatusLine, app_->texts[unavailable ? TextKey::Unavailable : TextKey::InternetError]);
    controls.Show(ids::kRefreshButton, true);
    return;
  }
  RefreshCounters(app_->store, controls, app_->texts);
}

void MainWindow::SetUpControls() {
  const HWND progress = ::GetDlgItem(hwnd_, ids::kUpdateProgressBar);
  // Visual styles would ignore the bar's own colours.
  ::SetWindowTheme(progress, L"", L"");
  ::SendMessageA(progress, PBM_SETBARCOLOR, 0, kProgressBar);
  ::SendMessageA(progress, PBM_SETBKCOLOR, 0, kProgressBackground);

  refreshImage_.Reset(::LoadImageA(::GetModuleHandleA(nullptr), "REFRESH", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  ::SendDlgItemMessageA(hwnd_, ids::kRefreshButton, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(refreshImage_.get()));

  ui::SubclassShowList(::GetDlgItem(hwnd_, ids::kShowList));

  smallFont_.Reset(MakeTahoma(hwnd_, 8, false));
  statusFont_.Reset(MakeTahoma(hwnd_, 10, true));
  buttonFont_.Reset(MakeTahoma(hwnd_, 12, true));
  const auto setFont = [this](int id, const GdiObject& font) {
    ::SendDlgItemMessageA(hwnd_, id, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  };
  setFont(ids::kBlacklistLabel, smallFont_);
  setFont(ids::kAboutLine, smallFont_);
  setFont(ids::kStatusLine, statusFont_);
  setFont(ids::kSettingsButton, buttonFont_);
  setFont(ids::kDownloadButton, buttonFont_);

  background_.Reset(::CreateSolidBrush(kBackground));
  aboutBackground_.Reset(::CreateSolidBrush(kAboutBackground));

  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  const auto icon = reinterpret_cast<LPARAM>(::LoadIconA(instance, "AICO"));
  ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, icon);
  ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, icon);
}

INT_PTR MainWindow::OnControlColor(UINT message, HDC dc, HWND control) {
  if (message == WM_CTLCOLORLISTBOX) return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_MENU));
  if (message == WM_CTLCOLORSTATIC) {
    switch (::GetDlgCtrlID(control)) {
      case ids::kStatusLine:
        ::SetTextColor(dc, kLabelText);
        break;
      case ids::kBlacklistLabel:
        ::SetTextColor(dc, kBlacklistText);
        break;
      case ids::kAboutLine:
        ::SetTextColor(dc, kAboutText);
        ::SetBkColor(dc, kAboutBackground);
        return reinterpret_cast<INT_PTR>(aboutBackground_.get());
      default:
        break;
    }
  }
  ::SetBkColor(dc, kBackground);
  return reinterpret_cast<INT_PTR>(background_.get());
}

void MainWindow::OnCommand(int controlId, int notification) {
  const bool clicked = notification == 0 || notification == 1;
  switch (controlId) {
    case ids::kRefreshButton:
      if (clicked && !mainWorker_.Started()) {
        DialogControls(hwnd_).Show(ids::kRefreshButton, false);
        StartShowListPhase();
      }
      break;
    case ids::kLanguageIcon:
      if (clicked) ChooseLanguage();
      break;
    case ids::kSiteBanner:
      // A single click does nothing; a double click opens the site.
      if (notification == STN_DBLCLK) {
        ::ShellExecuteA(nullptr, "open", settings::kSiteUrl, nullptr, nullptr, SW_SHOWNORMAL);
      }
      break;
    case ids::kAboutLine:
      if (clicked) ::ShellExecuteA(nullptr, "open", settings::kHomeUrl, nullptr, nullptr, SW_SHOWNORMAL);
      break;
    default:
      break;
  }
}

void MainWindow::InitLanguage() {
  Application& app = *app_;
  WriteDefaultLanguageFile(app.folder);
  app.currentLanguage = ReadLanguageChoice(app.profile, app.folder.Path());
  languageMenu_.Reset(::CreatePopupMenu());
  for (const std::string& code : InstalledLanguageCodes(app.folder)) {
    AppendLanguageMenuItem(code, code == app.currentLanguage);
  }
  app.texts = LoadLanguageTexts(app.profile, app.folder.Path(), app.currentLanguage);
  ApplyLanguageTexts();
}

void MainWindow::AppendLanguageMenuItem(const std::string& code, bool checked) {
  UINT flags = MF_STRING;
  if (checked) flags |= MF_CHECKED;
  ::AppendMenuA(languageMenu_.get(), flags, static_cast<UINT_PTR>(kLanguageCommandBase + languageMenuCount_),
                code.c_str());
  ++languageMenuCount_;
}

void MainWindow::ChooseLanguage() {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  HWND owner = ::WindowFromPoint(cursor);
  if (owner == nullptr) owner = hwnd_;
  const int chosen = static_cast<int>(::TrackPopupMenu(languageMenu_.get(),
                                                       TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                       cursor.x, cursor.y, 0, owner, nullptr));
  if (chosen == 0) return;

  Application& app = *app_;
  const int position = chosen - kLanguageCommandBase;  // 0-based
  char text[16] = {};
  ::GetMenuStringA(languageMenu_.get(), static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  if (MakeLanguageCode(text) == app.currentLanguage) return;

  for (int i = 0; i < languageMenuCount_; ++i) {
    const UINT state = i == position ? MF_CHECKED : MF_UNCHECKED;
    ::CheckMenuItem(languageMenu_.get(), static_cast<UINT>(i), MF_BYPOSITION | state);
  }
  app.currentLanguage = MakeLanguageCode(text);
  app.texts = LoadLanguageTexts(app.profile, app.folder.Path(), app.currentLanguage);
  ApplyLanguageTexts();
}

void MainWindow::ApplyLanguageTexts() {
  Application& app = *app_;
  showPopupMenu_.Reset(::CreatePopupMenu());
  ::AppendMenuA(showPopupMenu_.get(), MF_STRING, kShowPopupCommand, app.texts[TextKey::PopupMenu1].c_str());
  favouritePopupMenu_.Reset(::CreatePopupMenu());
  ::AppendMenuA(favouritePopupMenu_.get(), MF_STRING | MF_GRAYED, kFavouritePopupCommand,
                app.texts[TextKey::PopupMenu2].c_str());

  DialogControls controls(hwnd_);
  UserLists lists;
  {
    std::lock_guard lock(app.store.mutex);
    lists = app.store.lists;
  }
  MainWindowTextState state;
  state.listedShows = controls.ListCount(ids::kShowList);
  state.statusPhase = app.statusPhase.load();
  state.favoritesText = lists.favoritesText;
  state.blacklistText = lists.blacklistText;
  epiloom::ApplyLanguageTexts(controls, app.texts, state);
}

void MainWindow::OnDestroy() {
  if (mainTimer_ != 0) ::KillTimer(hwnd_, mainTimer_);
  ui::RestoreShowList(::GetDlgItem(hwnd_, ids::kShowList));
  AbandonWorker();
  Application& app = *app_;
  // A list the worker was still reading never reached the store: only what
  // was loaded whole is written back.
  SaveUserLists(app.store, app.folder);
  SaveLanguageChoice(app.profile, app.folder.Path(), app.currentLanguage);
}

}  // namespace epiloom::win
