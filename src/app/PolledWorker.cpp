#include "app/PolledWorker.h"

#include <utility>

namespace epiloom::win {
namespace {

constexpr UINT kPollPeriodMs = 20;

}  // namespace

bool PolledWorker::Start(HWND window, UINT_PTR timerId, Work work, Ended onEnded) {
  Abandon(nullptr);  // at most one worker per object
  window_ = window;
  if (::SetTimer(window, timerId, kPollPeriodMs, nullptr) == 0) return false;
  timerId_ = timerId;
  cancel_ = MakeCancelToken();
  if (!thread_.Start([work = std::move(work), cancel = cancel_] { return work(cancel); })) {
    StopTimer();
    return false;
  }
  onEnded_ = std::move(onEnded);
  // The first tick does not wait for the timer.
  ::PostMessageA(window, WM_TIMER, timerId, 0);
  return true;
}

bool PolledWorker::OnTimer(UINT_PTR timerId) {
  if (timerId == 0 || timerId != timerId_) return false;
  if (!thread_.Started() || thread_.Running()) return true;
  const int result = thread_.Result();
  thread_.Release();
  StopTimer();
  // Moved out first: the reaction may start this worker again.
  Ended onEnded = std::exchange(onEnded_, nullptr);
  if (onEnded) onEnded(result);
  return true;
}

void PolledWorker::Abandon(std::mutex* storeLock) {
  if (cancel_) {
    if (storeLock != nullptr) {
      std::lock_guard lock(*storeLock);
      cancel_->Raise();
    } else {
      cancel_->Raise();
    }
  }
  StopTimer();
  thread_.Release();
  onEnded_ = nullptr;
}

void PolledWorker::StopTimer() {
  if (timerId_ != 0) ::KillTimer(window_, timerId_);
  timerId_ = 0;
}

}  // namespace epiloom::win
