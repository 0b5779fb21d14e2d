#include "site/NewEpisodeHandOff.h"

#include <mutex>
#include <optional>

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

bool Commit(NewEpisodeJob& job, const FavoriteAdvance& advance) {
  std::lock_guard lock(job.store.mutex);
  if (job.cancel->Raised()) return false;
  ApplyFavoriteAdvance(advance, job.store.showTable, job.store.lists);
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

  std::size_t next = 0;
  for (const FavoriteAdvance& advance : plan.advances) {
    for (; next < advance.shortcutsEnd; ++next) {
      if (Abandoned(job)) return kHandOffAbandoned;
      const PlannedShortcut& shortcut = plan.shortcuts[next];
      job.window.StepProgress();
      job.window.SetEpisodeLabel(ProgressLabel(shortcut));
      if (!job.folder.Exists(kShortcutIconFile)) job.shell.ExportProgramIcons();
      job.shell.CreateShortcut(folder + shortcut.fileName, shortcut.magnetLink, folder, iconFile, description);
      job.clock.Sleep(kShortcutPauseMs);
    }
    if (!Commit(job, advance)) return kHandOffAbandoned;
  }

  if (Abandoned(job)) return kHandOffAbandoned;
  // The favourites file is written now, not only at the end of the run.
  SaveUserLists(job.store, job.folder);

  if (Abandoned(job)) return kHandOffAbandoned;
  if (!job.boxes.AskYesNo(kCaption, HandOffQuestion(job.texts, plan, folder))) return plan.total;

  for (const std::size_t index : plan.launchOrder) {
    if (Abandoned(job)) return kHandOffAbandoned;
    const PlannedShortcut& shortcut = plan.shortcuts[index];
    // No episode is lost silently: where the shell does not follow the
    // shortcut (or it could not be written), the link itself is opened.
    if (!job.shell.Open(folder + shortcut.fileName)) job.shell.Open(shortcut.magnetLink);
  }
  return plan.total;
}

}  // namespace epiloom
