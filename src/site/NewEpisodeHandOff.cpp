#include "site/NewEpisodeHandOff.h"

#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "site/EpisodePages.h"
#include "store/UserLists.h"

namespace epiloom {
namespace {

constexpr char kCaption[] = "Epiloom";

// The plan, made from the store under its lock; empty when abandoned.
std::optional<HandOffPlan> PlanFromStore(NewEpisodeJob& job, const LocalDate& today) {
  std::lock_guard lock(job.store.mutex);
  if (job.cancel->Raised()) return std::nullopt;
  const ShowTable& table = job.store.showTable;
  const std::string& favorites = job.store.lists.favoritesText;
  return PlanHandOff(ChooseNewEpisodes(table, favorites), table, favorites, today);
}

// Moves the favourite on as far as its shortcuts were written. False when
// abandoned; `advanced` tells whether it moved.
bool Commit(NewEpisodeJob& job, const HandOffPlan& plan, const FavoriteAdvance& planned,
            const HandOffOutcomes& outcomes, bool& advanced) {
  std::lock_guard lock(job.store.mutex);
  if (job.cancel->Raised()) return false;
  const std::optional<FavoriteAdvance> advance = WrittenAdvance(plan, planned, outcomes, job.store.showTable);
  if (advance) ApplyFavoriteAdvance(*advance, job.store.showTable, job.store.lists);
  advanced = advanced || advance.has_value();
  return true;
}

bool Abandoned(const NewEpisodeJob& job) { return job.cancel->Raised(); }

}  // namespace

int SelectNewEpisodes(NewEpisodeJob& job) {
  const std::optional<HandOffPlan> planned = PlanFromStore(job, job.shell.Today());
  if (!planned) return kHandOffAbandoned;
  const HandOffPlan& plan = *planned;
  if (plan.total <= 0) return kNoNewEpisode;

  const std::string folder = job.folder.Path();
  const std::string iconFile = folder + kShortcutIconFile;
  const std::string description = ShortcutDescription(job.homeUrl);
  job.window.SetProgressRange(plan.total);

  HandOffOutcomes outcomes(plan.shortcuts.size());
  int written = 0;
  bool advanced = false;
  for (const FavoriteAdvance& advance : plan.advances) {
    bool failed = false;  // one of this favourite's shortcuts was not written
    for (std::size_t next = advance.shortcutsBegin; next < advance.shortcutsEnd; ++next) {
      if (Abandoned(job)) return kHandOffAbandoned;
      const PlannedShortcut& shortcut = plan.shortcuts[next];
      job.window.StepProgress();
      // A later episode is not handed over before an older one of its show.
      if (failed) continue;
      job.window.SetEpisodeLabel(ProgressLabel(shortcut));
      if (!job.folder.Exists(kShortcutIconFile)) job.shell.ExportProgramIcons();
      const ShortcutResult result =
          job.shell.CreateShortcut(folder + shortcut.fileName, shortcut.magnetLink, folder, iconFile, description);
      if (result.written) {
        outcomes[next].fate = ShortcutFate::Written;
        ++written;
      } else {
        outcomes[next] = {ShortcutFate::Failed, result.problem};
        failed = true;
      }
      job.clock.Sleep(kShortcutPauseMs);
    }
    if (!Commit(job, plan, advance, outcomes, advanced)) return kHandOffAbandoned;
  }

  if (Abandoned(job)) return kHandOffAbandoned;
  // The favourites file is written now, not only at the end of the run.
  if (advanced) SaveUserLists(job.store, job.folder);

  if (Abandoned(job)) return kHandOffAbandoned;
  if (written == 0) {
    job.boxes.Notify(kCaption, ShortcutProblemText(job.texts, plan, outcomes), NoticeKind::Error);
    return 0;
  }
  if (!job.boxes.AskYesNo(kCaption, HandOffQuestion(job.texts, plan, outcomes, folder))) return written;

  std::vector<std::size_t> notReached;
  for (const std::size_t index : plan.launchOrder) {
    if (Abandoned(job)) return kHandOffAbandoned;
    if (outcomes[index].fate != ShortcutFate::Written) continue;
    // The link itself: a shell that follows the shortcut would reach the
    // client too, one that does not (Wine's) would not, and trying the
    // shortcut first could reach it twice.
    if (!job.shell.Open(plan.shortcuts[index].magnetLink)) notReached.push_back(index);
  }
  if (Abandoned(job)) return kHandOffAbandoned;
  if (!notReached.empty()) {
    job.boxes.Notify(kCaption, LaunchProblemText(job.texts, plan, std::move(notReached), folder), NoticeKind::Error);
  }
  return written;
}

}  // namespace epiloom
