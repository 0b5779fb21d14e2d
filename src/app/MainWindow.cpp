#include "app/MainWindow.h"

#include <commctrl.h>

#include "app/EpisodeCheckDialog.h"
#include "app/MainWindowIds.h"
#include "app/MainWindowView.h"
#include "app/WindowMessageBoxes.h"
#include "i18n/LanguageChoice.h"
#include "site/ShowListPage.h"
#include "store/Counters.h"
#include "store/RunSaves.h"
#include "store/UserLists.h"
#include "support/ShellOpen_win.h"
#include "ui/BlacklistDialog.h"
#include "ui/DownloadWindow.h"
#include "ui/SettingsPages.h"
#include "ui/ShowListBox.h"
#include "update/UpdateCheck.h"

namespace epiloom::win {
namespace {

constexpr int kLanguageCommandBase = 1000;
constexpr int kSpinnerFrames = 31;

// Sent by the update worker for each translation it installed: the code's
// two characters in wParam. The menu is only ever touched on this thread.
constexpr UINT kLanguageAddedMessage = WM_APP + 1;
// Posted at start when the folder cannot be written: the notice is shown
// once the window is on the screen, and the update check starts after it.
constexpr UINT kFolderNotWritableMessage = WM_APP + 2;

std::string WindowTitle() { return std::string(" Epiloom [by ardmoor] ") + settings::kVersionLabel; }

DialogTemplate MainWindowTemplate() {
  DialogTemplate t(WindowTitle(), kWindowStyle, kWindowExStyle, 410, 262);
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

bool Clicked(int notification) { return notification == 0 || notification == 1; }

}  // namespace

MainWindow::MainWindow(std::shared_ptr<Application> app)
    : app_(std::move(app)), spinner_("LOADING", kSpinnerFrames, app_->spinnerFrame), showList_(app_) {}

INT_PTR MainWindow::Run(HWND parent) {
  DialogTemplate dialogTemplate = MainWindowTemplate();
  return RunModal(parent, dialogTemplate);
}

bool MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& answer) {
  switch (message) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      // The list's own handler draws; the window's answer stays 0.
      if (wParam == static_cast<WPARAM>(ids::kShowList)) showList_.OnItemMessage(message, wParam, lParam);
      return true;
    case WM_CONTEXTMENU:
      if (::GetDlgCtrlID(reinterpret_cast<HWND>(wParam)) != ids::kShowList) return false;
      showList_.OnContextMenu(lParam, showPopupMenu_.get(), favouritePopupMenu_.get());
      return true;
    case kLanguageAddedMessage: {
      const char code[3] = {static_cast<char>(LOBYTE(wParam)), static_cast<char>(HIBYTE(wParam)), 0};
      AppendLanguageMenuItem(code, false);
      return true;
    }
    case kFolderNotWritableMessage:
      TellFolderNotWritable();
      return true;
    case WM_QUERYENDSESSION:
      // Windows may end the process at log-off without destroying the
      // window: what the run changed is written now, and what could not be
      // is said while the session still waits for the answer.
      SaveRunState(hwnd_, true);
      answer = TRUE;
      return true;
    case WM_ENDSESSION:
      // Written once more for what changed since; the session is ending, so
      // a file that still cannot be written was named at the query already.
      if (wParam != FALSE) SaveRunState(hwnd_, false);
      return true;
    case ids::kCloseMainWindowMessage:
      End(0);
      return true;
    case ids::kAppendShowsMessage: {
      // From the show list worker. The cancel flag is raised on this thread,
      // so a batch that comes after the worker was abandoned never lands.
      const auto& batch = *reinterpret_cast<const MainWindowView::ShowBatch*>(lParam);
      if (batch.cancel == nullptr || !batch.cancel->Raised()) showList_.AppendShows(*batch.shows);
      return true;
    }
    default:
      return false;
  }
}

void MainWindow::OnInit() {
  SetUpControls();
  // Found out once, before anything is written. In a folder that cannot be
  // written nothing is tried afterwards: each write would only wait out its
  // retries and fail, and the user is told once, here.
  app_->folderWritable = app_->folder.CanWrite();
  InitLanguage();
  if (!app_->folderWritable) {
    // A box shown now would come before the window: it comes once the
    // window is on the screen.
    ::PostMessageA(hwnd_, kFolderNotWritableMessage, 0, 0);
    return;
  }
  StartUpdatePhase();
}

void MainWindow::TellFolderNotWritable() {
  WindowMessageBoxes(hwnd_).Notify("Epiloom", ReadOnlyFolderNotice(app_->texts, app_->folder.Path()),
                                   NoticeKind::Exclamation);
  // Then the run goes on as in any folder.
  if (!ending_) StartUpdatePhase();
}

void MainWindow::OnTimer(UINT_PTR timerId) {
  spinner_.Advance(Control(ids::kSpinner));
  mainWorker_.OnTimer(timerId);
}

// --- The refresh cycle -------------------------------------------------------

void MainWindow::StartUpdatePhase() {
  std::shared_ptr<Application> app = app_;
  const HWND window = hwnd_;
  // The texts are copied here, on the window's thread, which may switch the
  // language while the worker runs.
  const bool started = mainWorker_.Start(
      hwnd_, ids::kUpdatePhaseTimer,
      [app, window, texts = app_->texts](const CancelToken& cancel) {
        ComApartment com;
        MainWindowView view(window);
        WorkerShowListView workerView(view, cancel);
        WindowMessageBoxes boxes(window);
        UpdateCheckJob job{app->fetcher,
                           app->folder,
                           workerView,
                           boxes,
                           texts,
                           app->statusPhase,
                           settings::kUpdateHost,
                           settings::kVersionLabel,
                           settings::kUpdaterMd5,
                           [window](const std::string& code) {
                             ::SendMessageA(window, kLanguageAddedMessage, MAKEWPARAM(MAKEWORD(code[0], code[1]), 0),
                                            0);
                           },
                           [](const std::string& path) { return ShellOpen(path); },
                           app->folderWritable};
        return CheckForUpdates(job);
      },
      [this](int result) { EndUpdatePhase(result); });
  if (!started) {
    // Without its worker the update check is skipped, as when the server
    // does not answer; the show list comes all the same.
    NotifyProblem(hwnd_, app_->texts);
    StartShowListPhase();
  }
}

void MainWindow::EndUpdatePhase(int result) {
  if (result == kUpdaterLaunched) {
    End(0);
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
  const bool started = mainWorker_.Start(
      hwnd_, ids::kShowListPhaseTimer,
      [app, window, texts = app_->texts](const CancelToken& cancel) {
        MainWindowView view(window, cancel);
        ShowListJob job(app->store, app->fetcher, app->folder, app->clock, view, texts, settings::kSiteUrl,
                        app->statusPhase, cancel);
        return ReadShowList(job);
      },
      [this](int result) { EndShowListPhase(result); });
  if (!started) {
    NotifyProblem(hwnd_, app_->texts);
    ShowListLoadFailed(false);
  }
}

void MainWindow::EndShowListPhase(int result) {
  if (result < 0) {
    ShowListLoadFailed(result == kShowListEmpty);
    return;
  }
  MainWindowView(hwnd_).ShowSpinner(false);
  AfterShowListLoaded();
}

void MainWindow::ShowListLoadFailed(bool unavailable) {
  MainWindowView view(hwnd_);
  view.ShowSpinner(false);
  app_->statusPhase = unavailable ? kSiteUnavailable : kNoConnection;
  view.SetStatusText(app_->texts[unavailable ? TextKey::Unavailable : TextKey::InternetError]);
  ::ShowWindow(Control(ids::kRefreshButton), SW_SHOW);
}

void MainWindow::AfterShowListLoaded() {
  MainWindowView view(hwnd_);
  // With the texts of the language shown now: the worker counted with the
  // texts it was started with.
  RefreshCounters(app_->store, view, app_->texts);
  WindowMessageBoxes boxes(hwnd_);
  PruneMissingFavorites(app_->store, boxes, view, app_->texts);
  if (CheckEpisodes()) OpenNewEpisodeDownloadWindow();
}

bool MainWindow::CheckEpisodes() {
  RunEpisodeCheck(hwnd_, app_);
  std::lock_guard lock(app_->store.mutex);
  return app_->store.episodesChecked;
}

void MainWindow::OpenNewEpisodeDownloadWindow() {
  DownloadWindow(app_).Run(hwnd_);
  // The hand-off moved last watched episodes on: the never-watched count
  // may have changed.
  MainWindowView view(hwnd_);
  RefreshCounters(app_->store, view, app_->texts);
}

void MainWindow::OpenFavoriteSettingsPages() {
  // The pages rewrite the counts themselves when they close.
  SettingsPages(app_).Run(hwnd_);
}

void MainWindow::OpenBlacklistDialog() {
  // Each move rewrites the show list and the counts at once.
  BlacklistDialog(app_).Run(hwnd_);
}

// --- Reactions ---------------------------------------------------------------

void MainWindow::OnCommand(int controlId, int notification) {
  switch (controlId) {
    case ids::kSettingsButton:
      if (Clicked(notification) && CheckEpisodes()) OpenFavoriteSettingsPages();
      break;
    case ids::kDownloadButton:
      if (Clicked(notification) && CheckEpisodes()) OpenNewEpisodeDownloadWindow();
      break;
    case ids::kRefreshButton:
      if (Clicked(notification) && !mainWorker_.Active()) {
        ::ShowWindow(Control(ids::kRefreshButton), SW_HIDE);
        StartShowListPhase();
      }
      break;
    case ids::kBlacklistLabel:
      if (Clicked(notification)) OpenBlacklistDialog();
      break;
    case ids::kLanguageIcon:
      if (Clicked(notification)) ChooseLanguage();
      break;
    case ids::kSiteBanner:
      // A single click does nothing; a double click opens the site.
      if (notification == STN_DBLCLK) ShellOpen(settings::kSiteUrl);
      break;
    case ids::kAboutLine:
      if (Clicked(notification)) ShellOpen(settings::kHomeUrl);
      break;
    default:
      break;
  }
}

INT_PTR MainWindow::OnControlColor(UINT message, HDC dc, HWND control) {
  if (message == WM_CTLCOLORLISTBOX) return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_MENU));
  if (message == WM_CTLCOLORSTATIC) {
    switch (::GetDlgCtrlID(control)) {
      case ids::kBlacklistLabel:
        return houseColors_->Paint(dc, kBlacklistText);
      case ids::kAboutLine:
        return aboutColors_->Paint(dc, kAboutText);
      default:
        break;
    }
  }
  return houseColors_->Paint(dc, kLabelText);
}

void MainWindow::SetUpControls() {
  houseColors_ = std::make_unique<ColorAnswer>(kBackground);
  aboutColors_ = std::make_unique<ColorAnswer>(kAboutBackground);

  SetProgressBarColors(Control(ids::kUpdateProgressBar), kProgressBar, kProgressBackground);

  refreshImage_.Reset(::LoadImageA(::GetModuleHandleA(nullptr), "REFRESH", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  ::SendDlgItemMessageA(hwnd_, ids::kRefreshButton, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(refreshImage_.get()));

  showList_.Attach(hwnd_, Control(ids::kShowList));

  const HFONT small = Font(8, false);
  SetControlFont(ids::kBlacklistLabel, small);
  SetControlFont(ids::kAboutLine, small);
  SetControlFont(ids::kStatusLine, Font(10, true));
  const HFONT buttons = Font(12, true);
  SetControlFont(ids::kSettingsButton, buttons);
  SetControlFont(ids::kDownloadButton, buttons);

  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  const auto icon = reinterpret_cast<LPARAM>(::LoadIconA(instance, "AICO"));
  ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, icon);
  ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, icon);
}

// --- Language ----------------------------------------------------------------

void MainWindow::InitLanguage() {
  Application& app = *app_;
  if (app.folderWritable) WriteDefaultLanguageFile(app.folder);
  app.currentLanguage = ReadLanguageChoice(app.profile, app.folder.Path());
  languageMenu_.Reset(::CreatePopupMenu());
  for (const std::string& code : InstalledLanguageCodes(app.folder)) {
    AppendLanguageMenuItem(code, code == app.currentLanguage);
  }
  app.texts = LoadLanguageTexts(app.folder, app.currentLanguage);
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
  app.texts = LoadLanguageTexts(app.folder, app.currentLanguage);
  ApplyLanguageTexts();
}

void MainWindow::ApplyLanguageTexts() {
  Application& app = *app_;
  showPopupMenu_.Reset(::CreatePopupMenu());
  ::AppendMenuA(showPopupMenu_.get(), MF_STRING, ids::kShowPopupCommand, app.texts[TextKey::PopupMenu1].c_str());
  favouritePopupMenu_.Reset(::CreatePopupMenu());
  ::AppendMenuA(favouritePopupMenu_.get(), MF_STRING | MF_GRAYED, ids::kFavouritePopupCommand,
                app.texts[TextKey::PopupMenu2].c_str());

  MainWindowView view(hwnd_);
  ApplyMainWindowTexts(app.store, view, app.texts, app.statusPhase.load());
}

// --- End of the run ----------------------------------------------------------

void MainWindow::SaveRunState(HWND owner, bool report) {
  Application& app = *app_;
  // A list the worker was still reading never reached the store: only what
  // was loaded whole is written back.
  const std::vector<std::string> unsaved =
      epiloom::SaveRunState(app.store, app.folder, app.profile, app.currentLanguage, app.folderWritable);
  if (report && !unsaved.empty()) {
    WindowMessageBoxes(owner).Notify("Epiloom", SaveProblemNotice(app.texts, unsaved), NoticeKind::Error);
  }
}

void MainWindow::OnEnding() {
  // Every way the window ends comes here (the close box, the countdown's
  // message, the updater's hand-off), while the window still stands and can
  // own the box that names a file not saved.
  if (ending_) return;
  ending_ = true;
  // The worker first: once abandoned it commits nothing more, so what is
  // saved is what stays.
  mainWorker_.Abandon(&app_->store.mutex);
  SaveRunState(hwnd_, true);
}

void MainWindow::OnDestroy() {
  showList_.Detach();
  mainWorker_.Abandon(&app_->store.mutex);
  // Destroyed without having been ended (not a way the program ends it):
  // saved all the same, and the box, if any, has no owner.
  if (!ending_) {
    ending_ = true;
    SaveRunState(nullptr, true);
  }
}

}  // namespace epiloom::win
