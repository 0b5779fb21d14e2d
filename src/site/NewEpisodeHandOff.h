// The new-episode worker of the download window: the choice of the new
// episodes, then their hand-off to the torrent client, one shortcut file
// each, one question, and one "open" per episode after a Yes. An episode
// whose shortcut could not be written is not handed over, and the user is
// told which; so is an episode that no program took.
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
#include "support/ShortcutResult.h"

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
  // file with index 0, description. Says whether the file was written, and
  // if not, why.
  virtual ShortcutResult CreateShortcut(const std::string& linkFile, const std::string& target,
                                        const std::string& workingFolder, const std::string& iconFile,
                                        const std::string& description) = 0;
  // Opens a file or a link with the shell's "open" verb, showing no error
  // of its own; false when it failed (no program takes it).
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
// Otherwise sets the progress range to the number of new episodes, then for
// each favourite in the order of the favourites text and each of its new
// episodes, oldest first: steps the bar, names the episode on the label,
// exports the icon files when BICO.ICO is missing, writes the shortcut and
// pauses 400 ms. Once one of a favourite's shortcuts could not be written,
// its later episodes are not tried (the bar still steps for each, without a
// label or a pause): they stay new for the next check. After a favourite's
// episodes its lastWatched moves on to the newest episode before its first
// one not written (WrittenAdvance) and its line is rebuilt, under the
// store's lock. Then, when any favourite moved on, the favourites file is
// written at once (so a crash later in the run does not offer the same
// episodes again).
//
// When no shortcut at all was written, an error box names the episodes and
// why (ShortcutProblemText), and the worker returns 0. Otherwise the user is
// asked once about the written episodes (HandOffQuestion, which also names
// any that were not written), and on Yes the magnet link of every written
// episode is opened, the last made first, with no pause: the link itself
// and not its shortcut, so that it reaches the torrent client exactly once
// whether or not the shell follows shortcuts to links (Wine's does not).
// The shortcut files stay as the user's record. The episodes whose link no
// program took are named in one error box after the last was opened
// (LaunchProblemText). Returns the number of episodes handed over: those
// whose shortcut was written.
//
// Once the cancel token is raised nothing more is written: no shortcut, no
// lastWatched, no favourite line, no file, no question or box, nothing
// opened; the worker returns kHandOffAbandoned.
int SelectNewEpisodes(NewEpisodeJob& job);

}  // namespace epiloom
