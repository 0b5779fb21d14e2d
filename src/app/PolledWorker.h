// A worker the way every window of the program runs one: a thread whose exit
// code is its result, a cancel token, and a 20 ms timer on the window whose
// ticks poll the thread. The window never waits for the worker: on the first
// tick after the thread has ended, the timer is killed and `onEnded` gets
// the result.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>

#include "app/WorkerThread.h"
#include "support/CancelFlag.h"

namespace epiloom::win {

class PolledWorker {
 public:
  using Work = std::function<int(const CancelToken& cancel)>;
  using Ended = std::function<void(int result)>;

  PolledWorker() = default;
  PolledWorker(const PolledWorker&) = delete;
  PolledWorker& operator=(const PolledWorker&) = delete;

  // Sets the timer `timerId` (20 ms) on `window`, posts its first tick at
  // once and starts `work` on a new thread. False when the thread or the
  // timer could not be started: then nothing runs, no tick will come, and
  // the caller reports the failure.
  bool Start(HWND window, UINT_PTR timerId, Work work, Ended onEnded);

  // A WM_TIMER of the window. True when the tick is this worker's; once its
  // thread has ended, the timer is killed, the thread let go, and onEnded
  // called with the result (it may start the worker again).
  bool OnTimer(UINT_PTR timerId);

  // Abandons a running worker without waiting for it: its cancel token is
  // raised (under `storeLock`, when given, so that no commit of the worker
  // can land afterwards), the timer killed and the thread let go. onEnded
  // is never called.
  void Abandon(std::mutex* storeLock);

  // True from Start until its end has been seen or it was abandoned.
  bool Active() const { return thread_.Started(); }

 private:
  void StopTimer();

  HWND window_ = nullptr;
  UINT_PTR timerId_ = 0;
  WorkerThread thread_;
  CancelToken cancel_;
  Ended onEnded_;
};

}  // namespace epiloom::win
