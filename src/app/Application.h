// The state of one run of the program, shared by the main window, its
// dialogs and their workers. Workers hold it through a shared pointer, so an
// abandoned worker never outlives what it uses.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "BuildSettings.h"
#include "i18n/LanguageTexts.h"
#include "i18n/MainWindowTexts.h"
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
  // Whether the program's folder could be written when it was probed at
  // start; when not, the run writes nothing there. Set before any worker runs.
  bool folderWritable = true;

  // The current frames of the two busy animations; never reset in a run, so
  // a later animation goes on where the previous one stopped.
  int spinnerFrame = 0;
  int loadBarFrame = 0;
};

}  // namespace epiloom
