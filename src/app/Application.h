// The state of one run of the program, shared by the main window, its
// dialogs and their workers. Workers hold it through a shared pointer, so an
// abandoned worker never outlives what it uses.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "BuildSettings.h"
#include "i18n/LanguageChoice.h"
#include "i18n/LanguageTexts.h"
#include "i18n/ProfileFile_win.h"
#include "site/PageDownload_win.h"
#include "store/ShowStore.h"
#include "support/Clock_win.h"
#include "support/ProgramFolder_win.h"

namespace epiloom {

struct Application {
  ProgramFolderWin folder;
  ProfileFileWin profile;
  WinInetFetcher fetcher{settings::kDownloadTimeoutMs};
  SystemClock clock;
  ShowStore store;

  // Read and replaced on the window's thread only; workers get copies.
  LanguageTexts texts;
  std::string currentLanguage = "EN";
  // What the status line reports while the show list is empty.
  std::atomic<int> statusPhase{kCheckingVersion};
};

}  // namespace epiloom
