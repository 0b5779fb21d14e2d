// The new-episode worker of the download window: the choice of the new
// episodes, then their hand-off to the torrent client, one shortcut file
// each, one question, and one "open" per episode after a Yes.
#pragma once

#include <string>

#include "i18n/LanguageTexts.h"
#include "site/DownloadView.h"
#include "site/HandOff.h"
#include "store/ShowStore.h"
#include "support/CancelFlag.h"
#include "support/Clock.h"
#include "support/MessageBoxes.h"
#include "support/ProgramFolder.h"

namespace epiloom {

// What the hand-off asks of the platform.
class HandOffShell {
 public:
  virtual ~HandOffShell() = default;
  // The local date the shortcuts are named after.
  virtual LocalDate Today() = 0;
  // Writes the program's icon files (BICO.ICO among them) into its folder.
  virtual void ExportProgramIcons() = 0;
  // Writes a shortcut file: target, working folder, shown normally, icon
  // file with index 0, description. A failure is not reported: the file is
  // then missing, and opening it fails.
  virtual void CreateShortcut(const std::string& linkFile, const std::string& target,
                              const std::string& workingFolder, const std::string& iconFile,
                              const std::string& description) = 0;
  // Opens a file or a link with the shell's "open" verb; false when it failed.
  virtual bool Open(const std::string& target) = 0;
};

// Results of SelectNewEpisodes besides the number of episodes handed over.
inline constexpr int kNoNewEpisode = -2;
inline constexpr int kHandOffAbandoned = -1;

inline constexpr int kShortcutPauseMs = 400;

struct NewEpisodeJob {
  NewEpisodeJob(ShowStore& showStore, ProgramFolder& programFolder, Clock& pauses, DownloadView& downloadWindow,
                MessageBoxes& windowBoxes, HandOffShell& platform, LanguageTexts languageTexts,
                std::string makerHomeUrl, CancelToken cancelToken)
      : store(showStore),
        folder(programFolder),
        clock(pauses),
        window(downloadWindow, cancelToken),
        boxes(windowBoxes),
        shell(platform),
        texts(std::move(languageTexts)),
        homeUrl(std::move(makerHomeUrl)),
        cancel(std::move(cancelToken)) {}

  ShowStore& store;
  ProgramFolder& folder;
  Clock& clock;
  WorkerDownloadView window;  // the download window; writes dropped once abandoned
  MessageBoxes& boxes;        // owned by the download window
  HandOffShell& shell;
  LanguageTexts texts;  // a copy, taken on the window's thread
  std::string homeUrl;  // ends the shortcuts' description
  CancelToken cancel;
};

// Chooses the new episodes of every favourite (ChooseNewEpisodes) and, when
// there is none, returns kNoNewEpisode without touching the window.
// Otherwise sets the progress range to the total, then for each favourite in
// the order of the favourites text and each of its new episodes, oldest
// first: steps the bar, names the episode on the label, exports the icon
// files when BICO.ICO is missing, writes the shortcut and pauses 400 ms.
// After a favourite's episodes its lastWatched moves on to the newest code
// handed over and its line is rebuilt, under the store's lock. Then the
// favourites file is written at once (so a crash later in the run does not
// offer the same episodes again), the user is asked once, and on Yes every
// shortcut is opened, the last made first; where opening a shortcut fails
// (a system that does not follow shortcuts to links), its magnet link is
// opened itself. Returns the number of episodes handed over.
//
// Once the cancel token is raised nothing more is written: no shortcut, no
// lastWatched, no favourite line, no file, no question, nothing opened; the
// worker returns kHandOffAbandoned.
int SelectNewEpisodes(NewEpisodeJob& job);

}  // namespace epiloom
