// A worker thread whose exit code is the worker's result. Windows poll it on
// their timers and never wait for it.
#pragma once

#include <functional>

#include "support/Win32Handles_win.h"

namespace epiloom::win {

class WorkerThread {
 public:
  // Starts `work` on a new thread. An exception escaping `work` ends the
  // thread with result -1 instead of crossing the thread's entry.
  bool Start(std::function<int()> work);

  bool Started() const { return static_cast<bool>(thread_); }
  // True exactly as long as the thread has not ended.
  bool Running() const;
  // The exit code of an ended thread, as a signed result.
  int Result() const;
  // Lets go of the thread without waiting for it (a thread still running is
  // abandoned: its cancel flag must have been raised by the caller).
  void Release() { thread_.Reset(); }

 private:
  KernelHandle thread_;
};

}  // namespace epiloom::win
